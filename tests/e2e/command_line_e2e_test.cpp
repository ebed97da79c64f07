// The program as a Windows process: what it does with its command tail
// before any run begins, and the usage box a person sees and dismisses.
#include <gtest/gtest.h>

#include <string>

#include "wine_machine.h"

namespace quill::e2e {
namespace {

// A run that ends by itself with exit code 0 and never shows the usage box.
void ExpectQuietEnd(const RunOptions& options) {
  WineMachine& machine = WineMachine::Get();
  const RunResult result = machine.Run(options);
  ASSERT_TRUE(result.launched) << result.output;
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_FALSE(machine.display().WindowExists(kUsageCaption));
}

TEST(CommandLineEndToEnd, NothingToDoEndsWithExitCodeZeroAndNoWindow) {
  const struct {
    const char* what;
    std::string command_line;
  } cases[] = {
      {"no argument", "\"C:\\QUILLRUN\\QUILLRUN.EXE\""},
      {"no argument, unquoted program", "C:\\QUILLRUN\\QUILLRUN.EXE"},
      {"blanks only", "\"C:\\QUILLRUN\\QUILLRUN.EXE\"    "},
      {"blanks and tabs", "C:\\QUILLRUN\\QUILLRUN.EXE \t \t "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunOptions options;
    options.command_line = c.command_line;
    ExpectQuietEnd(options);
  }
}

TEST(CommandLineEndToEnd, AMissingInputFileEndsWithExitCodeZeroAndNoLog) {
  WineMachine& machine = WineMachine::Get();
  ASSERT_TRUE(machine.MakeDirectories("C:\\Work"));
  // With C:\SYSTEM.SAV there, a run that went on would leave its log.
  const bool had_system_sav = machine.Exists("C:\\SYSTEM.SAV");
  ASSERT_TRUE(machine.MakeDirectories("C:\\SYSTEM.SAV"));
  ASSERT_TRUE(machine.Remove("C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG"));
  const struct {
    const char* arguments;
    const char* current_directory;
  } cases[] = {
      {"C:\\Test\\missing.ini", "C:\\"},
      {"\\Test\\missing.ini", "C:\\Work"},
      {"missing.ini", "C:\\Work"},
      {"\"C:\\Test\\missing.ini\"", "C:\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    RunOptions options;
    options.arguments = c.arguments;
    options.current_directory = c.current_directory;
    options.environment["ZYLNT_MACHINE_ID"] = "E2E-1";
    ExpectQuietEnd(options);
  }
  EXPECT_FALSE(machine.Exists("C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG"));
  if (!had_system_sav) machine.Remove("C:\\SYSTEM.SAV");
}

class UsageBox : public ::testing::TestWithParam<Target> {};
INSTANTIATE_TEST_SUITE_P(, UsageBox, ::testing::ValuesIn(BothWindows()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(UsageBox, UsageRequestShowsTheBoxUntilReturnIsPressed) {
  WineMachine& machine = WineMachine::For(GetParam());
  ASSERT_TRUE(machine.ready()) << machine.error();
  for (const char* request : {"/?", "?", " /? "}) {
    SCOPED_TRACE(request);
    RunOptions options;
    options.program = machine.ProgramPath(GetParam().program);
    options.arguments = request;
    options.time_limit_seconds = 90;
    std::unique_ptr<RunningProgram> run = machine.Start(options);

    const std::string box = machine.display().FindWindow(kUsageCaption, 45);
    ASSERT_FALSE(box.empty()) << "no window captioned \"" << kUsageCaption << "\" appeared";
    EXPECT_EQ(machine.display().WindowName(box), kUsageCaption);
    EXPECT_TRUE(machine.display().PressKeyUntilClosed(box, "Return", 20));

    const RunResult result = run->Wait();
    ASSERT_TRUE(result.launched) << result.output;
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exit_code, 0u);
  }
}

}  // namespace
}  // namespace quill::e2e
