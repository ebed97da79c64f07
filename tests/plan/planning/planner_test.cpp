#include <gtest/gtest.h>

#include "plan/planning/planner.h"
#include "plan_fixture.h"

namespace quill::plan {
namespace {

const std::string kSettings = "[Settings]\nAppInstlPath=C:\\AppInstl\nMaxInstallTime=45\n";
const std::string kPlannerTable = "[07]\nLCID=0x407\n[37]\nLCID=0x809\n[16]\nLCID=0xc0a\n";

struct Machine : PlanFixture {
  explicit Machine(const std::string& lists, Assumption assumption = Assumption::kMissing)
      : PlanFixture(kSettings + lists, assumption) {
    Add("AppInstl/LANG.INI", kPlannerTable);
  }
};

TEST(PlannerTest, WalksBothPassesAsTheRunDoes) {
  Machine m(
      "[0xFFFF]\nAPP1=Reader\nAPP2=Gone\nAPP3=NoPath\nAPP4=Tool\nAPP6=Never\n"
      "[0xAB12]\napp1=Tool\n"
      "[0xffff_vista64]\nAPP1=Reader\n"
      "[0xAB12_VISTA64]\nAPP1=Picky\n"
      "[Reader]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s %LANG%\n"
      "[NoPath]\nAppSwitches=x.exe\n"
      "[Tool]\nAppPath=C:\\Tools\n"
      "[Picky]\nAppPath=C:\\Apps\\Picky\nAppSwitches=%LANG%\\p.exe\n");
  m.AddFolder("Apps/reader/07");  // folders answer without regard to case
  const Plan plan = m.Run("AB12", WindowsKind::kVista64, 0x407);

  EXPECT_EQ(u"0xAB12", plan.system_id);
  EXPECT_EQ(u"VISTA64", plan.os_type);
  EXPECT_EQ(u"07", plan.language.language_code);
  EXPECT_EQ(45, plan.settings.max_install_time);
  const std::vector<std::string> expected = {
      "0 0xFFFF APP1 Reader -> C:\\Apps\\Reader\\07\\setup.exe /s 07",
      "0 0xFFFF APP2 Gone skipped no-section",
      "0 0xFFFF APP3 NoPath skipped no-apppath",
      "0 0xFFFF APP4 Tool -> C:\\Tools\\",
      "0 0xAB12 app1 Tool -> C:\\Tools\\",
      "1 0xFFFF_VISTA64 APP1 Reader -> C:\\Apps\\Reader\\07\\setup.exe /s 07",
      "1 0xAB12_VISTA64 APP1 Picky skipped no-folder",
  };
  EXPECT_EQ(expected, PlanFixture::Lines(plan));
  ASSERT_EQ(2u, plan.passes.size());
  EXPECT_EQ(u"0xFFFF_VISTA64", plan.passes[1].common_section);
  EXPECT_EQ(u"0xAB12_VISTA64", plan.passes[1].machine_section);
  EXPECT_EQ(PlanEnding::kBothPasses, plan.ending);
  EXPECT_EQ(1, plan.exit_code);
  EXPECT_TRUE(plan.assumptions.empty());  // the mapping answered every question
}

TEST(PlannerTest, LanguageFallbacksAndGlobalSwitches) {
  const std::string apps =
      "[0xFFFF]\nAPP1=App\n"
      "[App]\nAppPath=C:\\App\nAppSwitches=%LANG%\\s.exe\nGlobalSwitches=g.exe %LANG%\n";
  struct Case {
    uint32_t lcid;
    std::vector<std::string> folders;
    std::string command;
  };
  const Case cases[] = {
      {0x809, {"App/US"}, "C:\\App\\US\\s.exe"},          // 37 falls back to US
      {0x809, {"App/37", "App/US"}, "C:\\App\\37\\s.exe"},  // its own folder first
      {0xc0a, {"App/SP"}, "C:\\App\\SP\\s.exe"},          // 16 falls back to SP
      {0x407, {"App/US"}, "C:\\App\\g.exe %LANG%"},         // 07 has no fallback
      {0x411, {}, "C:\\App\\\\s.exe"},  // no code: AppPath\ itself is the folder
  };
  for (const Case& c : cases) {
    Machine m(apps);
    m.AddFolder("App");
    for (const std::string& folder : c.folders) m.AddFolder(folder);
    const Plan plan = m.Run("1", WindowsKind::kWinXp, c.lcid);
    ASSERT_EQ(1u, plan.passes[0].entries.size());
    EXPECT_EQ(c.command, ToUtf8(plan.passes[0].entries[0].command_line)) << std::hex << c.lcid;
  }
}

TEST(PlannerTest, EndingsOfARun) {
  struct Case {
    std::string ini;
    std::string machine_id;
    WindowsKind windows;
    bool table;
    PlanEnding ending;
    int passes;
    std::string record;
  };
  const std::string lists = "[0xFFFF]\nAPP1=T\n[T]\nAppPath=C:\\T\n";
  const Case cases[] = {
      {kSettings + lists, "  ", WindowsKind::kWinXp, true, PlanEnding::kNoSystemId, 0, ""},
      {"[Settings]\nAppInstlPath=  \n" + lists, "1", WindowsKind::kWinXp, true,
       PlanEnding::kMissingAppInstlPath, 0,
       "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\n"},
      {kSettings + lists, "1", WindowsKind::kWinXp, false, PlanEnding::kMissingLanguageTable, 0,
       "ERROR:: Error opening C:\\AppInstl\\LANG.INI file!\n"},
      {kSettings + lists, "1", WindowsKind::kOther, true, PlanEnding::kUnrecognisedSystem, 1, ""},
      {kSettings + lists, "1", WindowsKind::kVista32, true, PlanEnding::kBothPasses, 2, ""},
      // A newer Windows, named only where the INI file asks, by its whole name.
      {kSettings + lists, "1", WindowsKindFor(u"win11x64"), true, PlanEnding::kUnrecognisedSystem,
       1, ""},
      {kSettings + "NewerWindows=1\n" + lists, "1", WindowsKindFor(u"win11x64"), true,
       PlanEnding::kBothPasses, 2, ""},
      {kSettings + "NewerWindows=1\n" + lists, "1", WindowsKindFor(u"SRV2012R2ARM64"), true,
       PlanEnding::kBothPasses, 2, ""},
      {kSettings + "NewerWindows=1\n" + lists, "1", WindowsKindFor(u"WIN11"), true,
       PlanEnding::kUnrecognisedSystem, 1, ""},
  };
  for (const Case& c : cases) {
    PlanFixture m(c.ini);
    if (c.table) m.Add("AppInstl/LANG.INI", kPlannerTable);
    const Plan plan = m.Run(c.machine_id, c.windows, 0x407);
    EXPECT_EQ(c.ending, plan.ending) << c.ini;
    EXPECT_EQ(c.passes, static_cast<int>(plan.passes.size()));
    EXPECT_EQ(c.ending == PlanEnding::kBothPasses ? 1 : 0, plan.exit_code);
    EXPECT_EQ(c.record, ToUtf8(plan.error_record));
  }
}

TEST(PlannerTest, UnansweredQuestionsAreAssumedAndShown) {
  for (Assumption assumption : {Assumption::kPresent, Assumption::kMissing}) {
    PlanFixture m(
        "[Settings]\nAppInstlPath=D:\\Share\n[0xFFFF]\nAPP1=App\n"
        "[App]\nAppPath=D:\\App\nAppSwitches=%LANG%\\s.exe\n",
        assumption);
    const Plan plan = m.Run("1", WindowsKind::kWinXp, 0x407);
    const bool present = assumption == Assumption::kPresent;
    // D: is mapped nowhere: the table and the folder are assumed.
    ASSERT_EQ(present ? 2u : 1u, plan.assumptions.size());
    EXPECT_EQ(u"D:\\Share\\LANG.INI", plan.assumptions[0].path);
    EXPECT_EQ(present, plan.assumptions[0].answer.exists);
    if (!present) continue;
    // The table is assumed present but cannot be read, and the mapped C:
    // has no copy of it: no language code.
    EXPECT_EQ(u"", plan.language.language_code);
    EXPECT_FALSE(plan.language.table_read);
    EXPECT_EQ(u"D:\\App\\", plan.assumptions[1].path);
    EXPECT_EQ(u"D:\\App\\\\s.exe", plan.passes[0].entries[0].command_line);
  }
}

// The rules as the planned machine's files answer them, and what the
// answer rests on where they do not.
TEST(PlannerTest, DetectionAsksTheMappedImage) {
  struct Case {
    std::string rule;
    std::string file;  // on C:, "/" between names; empty: none
    std::string bytes;
    bool launched;
    std::string assumed;  // in the one assumption told; empty: none
  };
  const Case cases[] = {
      {"DetectFile=%ProgramFiles%\\R\\r.exe", "Program Files/R/r.exe", "", false, ""},
      {"DetectFile=%systemdrive%\\R\\r.exe", "R/r.exe", "", false, ""},
      {"DetectFile=%SystemRoot%\\r.dll", "WINDOWS/r.dll", "", false, ""},
      {"DetectFile=\\\\?\\C:\\R\\r.exe", "R/r.exe", "", false, ""},
      {"DetectFile=C:\\R\\r.exe >= 1.0", "R/r.exe", "MZ", true, "its version cannot be read"},
      {"DetectFile=%CommonProgramFiles%\\r.dll", "", "", true,
       "read as C:\\Program Files\\Common Files\\r.dll"},
      {"DetectFile=%APPDATA%\\r.exe", "r.exe", "", true, "%APPDATA% not known"},
      {"DetectMsi={00000000-0000-0000-0000-000000000001}", "", "", true, "no product"},
      {"DetectKey=HKLM\\Software\\R", "", "", true, "no key"},
      {"DetectKey=HKLM64\\Software\\R", "", "", true, "no key"},
  };
  for (const Case& c : cases) {
    PlanFixture m(
        "[Settings]\nAppInstlPath=C:\\AppInstl\n[0xFFFF]\nAPP1=App\n"
        "[App]\nAppPath=C:\\App\nAppSwitches=s.exe\n" +
        c.rule + "\n");
    m.Add("AppInstl/LANG.INI", "[09]\nLCID=0x409\n");
    m.Add("App/s.exe");
    if (!c.file.empty()) m.Add(c.file, c.bytes);
    const Plan plan = m.Run("1", WindowsKind::kVista64, 0x409);
    ASSERT_EQ(2u, plan.passes.size()) << c.rule;
    const PlanEntry& entry = plan.passes[0].entries.at(0);
    EXPECT_EQ(c.launched, entry.launched) << c.rule;
    if (!c.launched) { EXPECT_EQ(SkipReason::kInstalledAlready, entry.skip) << c.rule; }
    ASSERT_EQ(c.assumed.empty() ? 0u : 1u, entry.detect_assumed.size()) << c.rule;
    if (!c.assumed.empty()) {
      EXPECT_NE(std::string::npos, entry.detect_assumed[0].find(c.assumed))
          << c.rule << ": " << entry.detect_assumed[0];
    }
  }
}

TEST(PlannerTest, ProgramUnderAPathWithBlanksIsStartedQuoted) {
  Machine m("[0xFFFF]\nAPP1=App\n[App]\nAppPath=C:\\Program Files\\App\nAppSwitches=setup.exe /s\n");
  m.Add("Program Files/App/setup.exe");
  const Plan plan = m.Run("1", WindowsKind::kWinXp, 0x407);
  const PlanEntry& entry = plan.passes[0].entries[0];
  EXPECT_EQ(u"C:\\Program Files\\App\\setup.exe /s", entry.command_line);
  EXPECT_EQ(u"\"C:\\Program Files\\App\\setup.exe\" /s", entry.handed);
}

TEST(PlannerTest, TheTableCopyIsReadWhenTheTableCannotBe) {
  PlanFixture m(kSettings + "[0xFFFF]\n");
  m.AddFolder("AppInstl/LANG.INI");  // exists, but is no file to read
  m.Add("LANG_INI.TXT", "[42]\nLCID=0x407\n");
  const Plan plan = m.Run("1", WindowsKind::kWinXp, 0x407);
  EXPECT_TRUE(plan.language.fallback_read);
  EXPECT_EQ(u"42", plan.language.language_code);
}

}  // namespace
}  // namespace quill::plan
