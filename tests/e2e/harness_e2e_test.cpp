// The harness itself: what a test asks for (Windows version, locale,
// machine identifier, current directory, command line) is what a program
// started through it sees. The probe, installed under the program's name,
// writes down what it sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "wine_machine.h"

namespace quill::e2e {
namespace {

constexpr char kProbe[] = "C:\\PROBE\\QUILLRUN.EXE";
constexpr char kProbeOutput[] = "C:\\probe.txt";

class HarnessEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine_.CopyBuildFile("tools/probe.exe", kProbe));
    machine_.Remove(kProbeOutput);
  }
  // What the probe saw, by name; empty when it wrote nothing.
  std::map<std::string, std::string> Probe(RunOptions options) {
    options.program = kProbe;
    options.arguments = kProbeOutput;
    const RunResult result = machine_.Run(options);
    EXPECT_TRUE(result.launched) << result.output;
    EXPECT_EQ(result.exit_code, 0u);
    std::string text;
    std::map<std::string, std::string> seen;
    if (!machine_.ReadFile(kProbeOutput, &text)) return seen;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      const size_t equals = line.find('=');
      seen[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return seen;
  }

  WineMachine& machine_ = WineMachine::Get();
};

TEST_F(HarnessEndToEnd, WindowsVersionReachesTheProgram) {
  const struct {
    const char* windows_version;
    const char* seen;
  } cases[] = {
      {"winxp", "5.1"}, {"vista", "6.0"}, {"win7", "6.1"}, {"win10", "6.2"},  // no manifest: 6.2
      {"", "6.1"},  // Wine 8's default is Windows 7
      {"winxp", "5.1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.windows_version);
    RunOptions options;
    options.windows_version = c.windows_version;
    std::map<std::string, std::string> seen = Probe(options);
    EXPECT_EQ(seen["version"], c.seen);
    EXPECT_EQ(seen["platform"], "2");
  }
}

TEST_F(HarnessEndToEnd, LocaleReachesTheProgram) {
  const struct {
    const char* locale;
    const char* lcid;
    const char* code_page;
  } cases[] = {
      {"", "0x409", "1252"},
      {"de_DE.UTF-8", "0x407", "1252"},
      {"fr_FR.UTF-8", "0x40c", "1252"},
      {"ja_JP.UTF-8", "0x411", "932"},
      {"C", "0x409", "1252"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    RunOptions options;
    if (*c.locale != '\0') options.environment["LC_ALL"] = c.locale;
    std::map<std::string, std::string> seen = Probe(options);
    EXPECT_EQ(seen["lcid"], c.lcid);
    EXPECT_EQ(seen["acp"], c.code_page);
  }
}

TEST_F(HarnessEndToEnd, MachineIdentifierIsOnlyWhatTheTestGives) {
  setenv("ZYLNT_MACHINE_ID", "leaked-from-the-test-process", 1);
  RunOptions options;
  EXPECT_EQ(Probe(options)["machine_id"], "<unset>");
  unsetenv("ZYLNT_MACHINE_ID");

  const char* values[] = {"LAB-0042", "  padded  ", ""};
  for (const char* value : values) {
    options.environment["ZYLNT_MACHINE_ID"] = value;
    EXPECT_EQ(Probe(options)["machine_id"], value);
  }
}

TEST_F(HarnessEndToEnd, CurrentDirectoryAndCommandLineArriveAsGiven) {
  ASSERT_TRUE(machine_.MakeDirectories("C:\\Work\\Sub Dir"));
  ASSERT_TRUE(machine_.AddDrive('D'));
  ASSERT_TRUE(machine_.MakeDirectories("D:\\Tools"));
  const struct {
    const char* current_directory;
    const char* command_line;
  } cases[] = {
      {"C:\\Work\\Sub Dir", "C:\\PROBE\\QUILLRUN.EXE C:\\probe.txt"},
      {"C:\\", "\"C:\\PROBE\\QUILLRUN.EXE\"   C:\\probe.txt  \t"},
      {"D:\\Tools", "\"C:\\PROBE\\QUILLRUN.EXE\" C:\\probe.txt \"quoted part\" \xC3\xA4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command_line);
    RunOptions options;
    options.current_directory = c.current_directory;
    options.command_line = c.command_line;
    const RunResult result = machine_.Run(options);
    ASSERT_TRUE(result.launched) << result.output;
    std::string text;
    ASSERT_TRUE(machine_.ReadFile(kProbeOutput, &text));
    EXPECT_NE(text.find(std::string("\ncwd=") + c.current_directory + "\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find(std::string("\ncommand=") + c.command_line + "\n"), std::string::npos)
        << text;
  }
}

}  // namespace
}  // namespace quill::e2e
