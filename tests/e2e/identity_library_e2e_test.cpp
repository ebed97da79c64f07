// Where the program finds its identity library under Wine: beside itself
// and under \SYSTEM.SAV\UTIL it does; a library planted in the current
// directory or in a PATH folder is never loaded, and the run then ends as
// one without a library: exit code 0 and no log.
#include <gtest/gtest.h>

#include <string>

#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

constexpr char kSystemSav[] = "C:\\SYSTEM.SAV";

class IdentityLibraryPlaces : public ::testing::TestWithParam<Target> {
 protected:
  WineMachine& machine() { return WineMachine::For(GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(, IdentityLibraryPlaces, ::testing::ValuesIn(BothWindows()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(IdentityLibraryPlaces, OnlyBesideTheProgramOrUnderSystemSavIsItLoaded) {
  ASSERT_TRUE(machine().ready()) << machine().error();
  const std::string root = "C:\\e2e\\IdentityLibraryPlaces\\" + TargetName(GetParam());
  const std::string program_folder = root + "\\Program";
  const std::string log = root + "\\RUN.LOG";
  struct Case {
    const char* name;
    std::string library;           // where the one library lies
    std::string current_directory;
    std::string winepath;
    bool found;
  };
  const Case cases[] = {
      {"beside the program", program_folder + "\\ZYLNT.DLL", "C:\\", "", true},
      {"under \\SYSTEM.SAV\\UTIL", std::string(kSystemSav) + "\\UTIL\\ZYLNT.DLL", root, "", true},
      {"in the current directory", root + "\\Here\\ZYLNT.DLL", root + "\\Here", "", false},
      {"in a PATH folder", root + "\\OnPath\\ZYLNT.DLL", "C:\\", root + "\\OnPath", false},
      // Nor is the second place searched for along PATH.
      {"under \\SYSTEM.SAV\\UTIL of a PATH folder", root + "\\OnPath\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL",
       "C:\\", root + "\\OnPath", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(machine().Remove(root));
    ASSERT_TRUE(machine().Remove(kSystemSav));
    ASSERT_TRUE(machine().InstallProgram(program_folder, IdentityLibrary::kNone, GetParam().program));
    ASSERT_TRUE(machine().CopyBuildFile("ZYLNT.DLL", c.library));
    ASSERT_TRUE(machine().MakeDirectories(c.current_directory));
    ASSERT_TRUE(machine().WriteFile(root + "\\LANG.INI", "[12]\r\nLCID=0x409\r\n"));
    ASSERT_TRUE(machine().WriteFile(root + "\\deploy.ini", "[Settings]\r\nAppInstlPath=" + root +
                                                               "\r\nLogFile=" + log + "\r\n"));
    RunOptions options;
    options.program = program_folder + "\\QUILLRUN.EXE";
    options.arguments = root + "\\deploy.ini";
    options.current_directory = c.current_directory;
    options.windows_version = "winxp";
    options.environment["ZYLNT_MACHINE_ID"] = "PC42";
    if (!c.winepath.empty()) options.environment["WINEPATH"] = c.winepath;
    const RunResult result = machine().Run(options);
    ASSERT_TRUE(result.launched) << result.output;
    std::string bytes;
    if (c.found) {
      EXPECT_EQ(1u, result.exit_code);
      ASSERT_TRUE(machine().ReadFile(log, &bytes));
      EXPECT_EQ(Opening("0xPC42", "WINXP") + Language("0x409", "12"), MaskTimeStamps(bytes));
    } else {
      EXPECT_EQ(0u, result.exit_code);
      EXPECT_FALSE(machine().Exists(log));
    }
  }
  EXPECT_TRUE(machine().Remove(kSystemSav));
}

}  // namespace
}  // namespace quill::e2e
