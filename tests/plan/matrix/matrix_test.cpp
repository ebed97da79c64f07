#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

#include "plan/matrix/kept_plans.h"
#include "plan/matrix/machine_json.h"
#include "plan/matrix/matrix.h"
#include "bench_deployment.h"
#include "matrix/every_cell.h"
#include "plan/matrix/matrix_text.h"
#include "plan_fixture.h"
#include "runner/application_command.h"

namespace quill::plan {
namespace {

TEST(MatrixTest, MachineSectionsAreTheMachinesOfTheIni) {
  const IniFile ini = IniFile::FromBytes(
      "[Settings]\n[0xFFFF]\nAPP1=0xApp\n[0xffff_VISTA32]\n[0xAB12]\n[0xab12_WINXP]\n"
      "[0xCD34_VISTA64]\n[0xAB12_WIN7]\n[0xApp]\nAppPath=C:\\A\n[0xab12]\n[Reader]\n[0XEF56]\n");
  // 0xCD34 exists only in its pass-1 form; 0xab12 is 0xAB12 again; 0xApp is
  // an application; 0xAB12_WIN7 is an unknown word for a known machine.
  const std::vector<WString> expected = {u"0xAB12", u"0xCD34", u"0xEF56"};
  EXPECT_EQ(expected, MachineSections(ini));
  // Only the common lists: one row for every machine.
  const IniFile common = IniFile::FromBytes("[Settings]\n[0xFFFF]\nAPP1=A\n[0xFFFF_WINXP]\n[A]\n");
  EXPECT_EQ(std::vector<WString>({kEveryMachine}), MachineSections(common));
}

// The newer systems are columns only where the INI file has their sections,
// in the names' order, whatever the case the sections are written in.
TEST(MatrixTest, NewerSystemsAreColumnsOfTheirSections) {
  PlanFixture m(
      "[Settings]\nAppInstlPath=C:\\AppInstl\nNewerWindows=1\n"
      "[0xFFFF]\n[0xFFFF_WIN11X64]\nAPP1=Tool\n[0xab12_win7x64]\nAPP1=Tool\n[0xAB12]\n"
      "[0xFFFF_WIN10]\nAPP1=Tool\n[0xFFFF_WIN7X64]\n"
      "[Tool]\nAppPath=C:\\Tool\nAppSwitches=tool.exe\n");
  m.Add("AppInstl/LANG.INI", "[07]\nLCID=0x407\n");
  const Matrix matrix = MakeMatrix("", *m.platform);
  ASSERT_TRUE(matrix.problem.empty()) << matrix.problem;
  std::vector<std::string> labels;
  for (const WindowsKind& system : matrix.systems) labels.push_back(SystemLabel(system));
  EXPECT_EQ(
      std::vector<std::string>({"WINXP", "VISTA32", "VISTA64", "WIN7X64", "WIN11X64", "other"}),
      labels);
  ASSERT_EQ(1u, matrix.machines.size());
  const MachineMatrix& machine = matrix.machines[0];
  // WIN7X64 walks the machine's list, WIN11X64 the common one; other none.
  const std::vector<int>& row = machine.cells[0];
  for (size_t s : {3u, 4u}) {
    const MatrixVariant& variant = machine.variants[row[s]];
    ASSERT_GE(variant.pass1, 0) << s;
    ASSERT_EQ(1u, machine.pass1[variant.pass1].entries.size()) << s;
  }
  EXPECT_EQ(u"0xab12_WIN7X64",
            machine.pass1[machine.variants[row[3]].pass1].entries[0].list_section);
  EXPECT_EQ(-1, machine.variants[row[5]].pass1);
  std::ostringstream text;
  WriteMatrixText(matrix, text);
  EXPECT_NE(std::string::npos, text.str().find("VISTA64  WIN7X64  WIN11X64 other")) << text.str();
}

TEST(MatrixTest, CellsShareAPlanWhenOnlyTheLanguageCodeDiffers) {
  PlanFixture m(
      "[Settings]\nAppInstlPath=C:\\AppInstl\n"
      "[0xFFFF]\nAPP1=Reader\n[0xFFFF_VISTA64]\nAPP1=Tool\n[0xAB12]\n[0xCD34]\nAPP1=Tool\n"
      "[Reader]\nAppPath=C:\\Reader\nAppSwitches=%LANG%\\setup.exe /s\n"
      "[Tool]\nAppPath=C:\\Tool\nAppSwitches=tool.exe\n");
  m.Add("AppInstl/LANG.INI", "[07]\nLCID=0x407\n[09]\nLCID=0x409\n[12]\nLCID=0x40c\n");
  m.AddFolder("Reader/07");
  m.AddFolder("Reader/09");  // 12 has no folder: Reader is skipped there
  const Matrix matrix = MakeMatrix("", *m.platform);
  ASSERT_TRUE(matrix.problem.empty()) << matrix.problem;
  ASSERT_EQ(4u, matrix.languages.size());  // the table's three and the unknown locale
  ASSERT_EQ(2u, matrix.machines.size());
  EXPECT_EQ(2u * 4u * 4u, matrix.cells);

  const MachineMatrix& first = matrix.machines[0];
  EXPECT_EQ(u"0xAB12", first.system_id);
  // Rows: 07, 09, 12, none; columns: WINXP, VISTA32, VISTA64, other. With
  // no code, AppPath itself is the folder, and <code> stands for nothing.
  const std::vector<std::vector<int>> expected = {
      {0, 0, 1, 2}, {0, 0, 1, 2}, {3, 3, 4, 5}, {0, 0, 1, 2}};
  EXPECT_EQ(expected, first.cells);
  const PlanEntry& reader = first.pass0[first.variants[0].pass0].entries[0];
  EXPECT_TRUE(reader.language_template);
  EXPECT_EQ(u"C:\\Reader\\<code>\\setup.exe /s", reader.command_line);
  EXPECT_EQ(PlanEnding::kUnrecognisedSystem, first.variants[2].ending);

  std::ostringstream text;
  WriteMatrixText(matrix, text);
  EXPECT_NE(std::string::npos, text.str().find("machine 0xAB12: 6 different plans")) << text.str();
  EXPECT_NE(std::string::npos, text.str().find("  * ")) << text.str();
  const nlohmann::ordered_json json = MatrixJson(matrix);
  EXPECT_EQ("B", json["machines"][0]["grid"][0][2]);
  EXPECT_EQ("no-language-folder", json["machines"][0]["variants"][3]["entries"][0]["skipped"]);
  // The text the matrix writes a machine as is dump(2) of its JSON, a
  // machine left out (no variants, no grid) too.
  MachineMatrix left_out;
  left_out.system_id = u"0x\"9";
  const std::vector<const MachineMatrix*> machines = {&matrix.machines[0], &matrix.machines[1],
                                                     &left_out};
  for (const MachineMatrix* machine : machines) {
    EXPECT_EQ(MachineJson(*machine).dump(2), MachineJsonText(*machine, 0));
  }
}

// A pass is kept once; one that differs in anything but the language code
// is kept apart.
TEST(MatrixTest, PassesThatDifferInOneThingAreKeptApart) {
  PlanEntry base;
  base.list_section = u"0xFFFF";
  base.app_key = u"APP1";
  base.app_section = u"Reader";
  base.app_path = u"C:\\Reader";
  base.app_switches = u"%LANG%\\setup.exe /s";
  base.launched = true;
  base.command_line = u"C:\\Reader\\07\\setup.exe /s";
  base.handed = u"\"C:\\Reader\\07\\setup.exe\" /s";
  struct Case {
    const char* what;
    const char16_t* code;  // of the language the edited pass is made in
    std::function<void(PlanEntry&)> edit;
    bool kept_apart;
  };
  const Case cases[] = {
      {"the same in another language", u"09",
       [](PlanEntry& e) {
         e.command_line = u"C:\\Reader\\09\\setup.exe /s";
         e.handed = u"\"C:\\Reader\\09\\setup.exe\" /s";
       },
       false},
      {"the quotation ends elsewhere", u"07",
       [](PlanEntry& e) { e.handed = u"\"" + e.command_line + u"\""; }, true},
      {"handed as built", u"07", [](PlanEntry& e) { e.handed = e.command_line; }, true},
      {"another AppPath", u"07",
       [](PlanEntry& e) {
         e.app_path = u"C:\\Other";
         e.command_line = u"C:\\Other\\07\\setup.exe /s";
         e.handed = u"\"C:\\Other\\07\\setup.exe\" /s";
       },
       true},
      {"exit codes judged", u"07", [](PlanEntry& e) { e.exit_codes_judged = true; }, true},
      {"its own SuccessCodes", u"07", [](PlanEntry& e) { e.success_codes = u"0"; }, true},
      {"its own limit", u"07", [](PlanEntry& e) { e.limits.max_install_time = 1200; }, true},
      {"its tree ended", u"07", [](PlanEntry& e) { e.limits.stop_at_time_limit = true; }, true},
  };
  for (const Case& c : cases) {
    std::vector<PassPlan> plans;
    PassPlan pass;
    pass.entries = {base};
    EXPECT_EQ(0, Remember(pass, u"07", plans)) << c.what;
    c.edit(pass.entries[0]);
    EXPECT_EQ(c.kept_apart ? 1 : 0, Remember(pass, c.code, plans)) << c.what;
  }
  // Two skips for different reasons, their names alike.
  std::vector<PassPlan> plans;
  for (SkipReason reason : {SkipReason::kNoLanguageFolder, SkipReason::kNoAppPath}) {
    PassPlan pass;
    pass.entries = {base};
    pass.entries[0].launched = false;
    pass.entries[0].command_line = pass.entries[0].handed = u"";
    pass.entries[0].skip = reason;
    Remember(pass, u"07", plans);
  }
  EXPECT_EQ(2u, plans.size());
}

TEST(MatrixTest, WithoutATableThereIsNoMatrix) {
  PlanFixture m("[Settings]\nAppInstlPath=C:\\AppInstl\n[0xAB12]\n");
  m.AddFolder("AppInstl/LANG.INI");  // there, but no file to read
  const Matrix matrix = MakeMatrix("", *m.platform);
  EXPECT_NE(std::string::npos, matrix.problem.find("C:\\AppInstl\\LANG.INI")) << matrix.problem;
}

}  // namespace
}  // namespace quill::plan

namespace quill::plan {
namespace {

TEST(MatrixTest, EveryCellIsTheCoresOwnRunOfIt) {
  DeploymentShape shape;
  shape.machines = 5;
  shape.applications_per_machine = 6;
  shape.application_sections = 25;
  shape.languages = 40;  // "02", "16" and "37" fall back to "US" and "SP"
  MatrixScope more;
  more.machines = {u"0x9999"};  // no section: the common lists only
  ExpectEveryCellIsItsOwnRun(shape, more);
}

// Assumed answers are told in the machines' order, whichever worker asked.
TEST(MatrixTest, TheOutputIsTheSameOnAnyNumberOfWorkers) {
  DeploymentShape shape;
  shape.machines = 7;
  shape.applications_per_machine = 4;
  shape.languages = 5;
  const IniFile ini = IniFile::FromBytes(BenchIni(shape));
  TempTree tree;
  const std::string table = tree.File("LANG.INI", BenchLanguageTable(shape));
  std::string written[2];
  for (int reversed = 0; reversed < 2; ++reversed) {
    // No drive: every question is answered by assumption.
    MachineFiles files(PathMap(), Assumption::kPresent);
    PlanPlatform platform(ini, u"deploy.ini", files);
    ReversedWorkers workers;
    const Matrix matrix = MakeMatrix(table, platform, MatrixScope(), nullptr,
                                     reversed != 0 ? &workers : nullptr);
    std::ostringstream text;
    WriteMatrixText(matrix, text);
    written[reversed] = text.str();
  }
  EXPECT_NE(std::string::npos, written[0].find("file questions answered by assumption"));
  EXPECT_EQ(written[0], written[1]);
}

}  // namespace
}  // namespace quill::plan
