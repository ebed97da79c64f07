// Detection rules with real installers, two runs of one input INI file with
// LogExitCodes=1 on one machine: what the first run installs is not started
// again, what a rule finds installed already is never started, a rule that
// never holds makes its installer a failure both times, and quillplan's
// report names it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "child_process.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

const std::string kDetectIni = "C:\\DARezad\\AppInstl\\Detect.ini";
const std::string kDetectLog = "C:\\SYSTEM.SAV\\UTIL\\DETECT.LOG";
const std::string kDetectApps = "C:\\DARezad\\Apps\\";
// Wine's KERNEL32.DLL says it is this version.
const std::string kKernelVersion = "10.0.18362.1350";

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class Detection : public ::testing::TestWithParam<Target> {
 protected:
  WineMachine& machine() { return WineMachine::For(GetParam()); }
  bool installers64() const { return GetParam().program == ProgramBits::k64; }
  // One product code per target: targets share a Windows, and a product
  // installed by one would be installed already for the next.
  std::string ProductCode() const {
    return std::string("{5A1D0C3E-7B2F-4E61-9C0D-00000000") + (installers64() ? "64" : "32") +
           (GetParam().windows == WindowsBits::k64 ? "64" : "32") + "}";
  }

  void SetUp() override {
    ASSERT_TRUE(machine().ready()) << machine().error();
    for (const char* path : {"C:\\SYSTEM.SAV", "C:\\DARezad", "C:\\QuillDemo"}) {
      ASSERT_TRUE(machine().Remove(path));
    }
    const std::string bits = installers64() ? "64" : "32";
    std::string command = "'" QUILL_SOURCE_DIR "/scripts/make-share' '" +
                          machine().HostPath("C:\\") + "' " + bits + " >/dev/null";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    // The package of the demonstration, with a product code of its own.
    command =
        "set -e; w=$(mktemp -d); cp '" QUILL_SOURCE_DIR
        "/examples/installers/tool.wxs' '" QUILL_SOURCE_DIR
        "/examples/installers/tool.txt' \"$w\"; cd \"$w\"; sed -i 's/Id=\"\\*\"/Id=\"" +
        ProductCode() + "\"/; s/QuillDemoTool/QuillDetect" + bits + "/; s/0B7A5E2C/0B7A5E" + bits +
        "/" +
        (installers64()
             ? ""
             : "; s/ProgramFiles64Folder/ProgramFilesFolder/; s/Win64=\"yes\"/Win64=\"no\"/") +
        "' tool.wxs; wixl -a " + (installers64() ? "x64" : "x86") + " -o '" +
        machine().HostPath(kDetectApps + "Detect\\detect.msi") + "' tool.wxs 2>/dev/null; rm -rf \"$w\"";
    ASSERT_TRUE(machine().MakeDirectories(kDetectApps + "Detect"));
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    // A file only in the 64-bit system folder, and a key only in the 32-bit view.
    ASSERT_TRUE(machine().WriteFile("C:\\windows\\system32\\quill-native.txt", "64-bit only\r\n"));
    RunOptions reg;
    reg.program = "C:\\windows\\system32\\reg.exe";
    reg.arguments = "add HKLM\\Software\\QuillDetect\\Preinstalled /reg:32 /f";
    ASSERT_TRUE(machine().Run(reg).finished);
    // And one only in the 64-bit view, for the 32-bit program the other way round.
    reg.arguments = "add HKLM\\Software\\QuillDetect\\Preinstalled64 /reg:64 /f";
    ASSERT_TRUE(machine().Run(reg).finished);
    ASSERT_TRUE(machine().WriteFile(kDetectIni, IniText()));
  }

  std::string IniText() const {
    const std::string legacy =
        "AppPath=" + kDetectApps + "Legacy\r\nAppSwitches=legacy.exe /S /D=C:\\QuillDemo\\";
    const std::string kernel = "DetectFile=%SystemRoot%\\System32\\kernel32.dll >= ";
    return "[Settings]\r\nAppInstlPath=C:\\DARezad\\AppInstl\r\nMaxInstallTime=60\r\nLogExitCodes="
           "1\r\n"
           "LogFile=" +
           kDetectLog +
           "\r\n"
           "[0xFFFF]\r\nAPP1=Notes\r\nAPP2=Preinstalled\r\nAPP3=Package\r\nAPP4=Never\r\nAPP5="
           "Plain\r\n"
           "APP6=Native\r\nAPP7=SameVersion\r\nAPP8=NewerVersion\r\nAPP9=Preinstalled64\r\n"
           "APP10=OtherView\r\n"
           "[Notes]\r\nAppPath=" +
           kDetectApps +
           "Quill Notes\r\nAppSwitches=notes.exe /S /D=C:\\QuillDemo\\Notes\r\n"
           "DetectFile=C:\\QuillDemo\\Notes\\Notes-any.txt\r\n"
           "[Preinstalled]\r\n" +
           legacy +
           "Preinstalled\r\nDetectKey=HKLM\\Software\\QuillDetect\\Preinstalled\r\n"
           "[Preinstalled64]\r\n" +
           legacy +
           "Preinstalled64\r\nDetectKey=HKLM\\Software\\QuillDetect\\Preinstalled64\r\n"
           // The key only the 32-bit view holds, asked in the 64-bit one.
           "[OtherView]\r\n" +
           legacy +
           "OtherView\r\nDetectKey=HKLM64\\Software\\QuillDetect\\Preinstalled\r\n"
           "[Package]\r\nAppPath=C:\\windows\\system32\r\nAppSwitches=msiexec.exe /i " +
           kDetectApps + "Detect\\detect.msi /qn\r\nDetectMsi=" + ProductCode() +
           "\r\n"
           "[Never]\r\n" +
           legacy +
           "Never\r\nDetectFile=C:\\QuillDemo\\Never\\nothing.txt\r\n"
           "[Plain]\r\nAppPath=" +
           kDetectApps +
           "Reader\r\nAppSwitches=US\\reader.exe /S /D=C:\\QuillDemo\\Reader\r\n"
           "[Native]\r\n" +
           legacy +
           "Native\r\nDetectFile=%SystemRoot%\\System32\\quill-native.txt\r\n"
           "[SameVersion]\r\n" +
           legacy + "SameVersion\r\n" + kernel + kKernelVersion +
           "\r\n"
           "[NewerVersion]\r\n" +
           legacy + "NewerVersion\r\n" + kernel + "10.0.18362.1351\r\n";
  }

  static std::string Quillplan(const std::string& arguments) {
    return ShellOutput("'" QUILLPLAN_BINARY "' " + arguments + " 2>&1");
  }

  std::string RunTwice() {
    for (int run = 0; run < 2; ++run) {
      RunOptions options;
      options.program = machine().ProgramPath(GetParam().program);
      options.arguments = kDetectIni;
      options.windows_version = "vista";
      options.environment["ZYLNT_MACHINE_ID"] = "DETECT-PC";
      options.time_limit_seconds = 240;
      const RunResult result = machine().Run(options);
      EXPECT_TRUE(result.finished) << result.output;
      EXPECT_EQ(1u, result.exit_code);
    }
    std::string bytes;
    return machine().ReadFile(kDetectLog, &bytes) ? bytes : "<no log>";
  }
};

INSTANTIATE_TEST_SUITE_P(, Detection, ::testing::ValuesIn(EveryBuildAndWindows()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(Detection, TwoRunsStartOnlyWhatIsNotInstalled) {
  const std::string log = RunTwice();
  struct Expected {
    std::string app;
    size_t starts;
    std::string record;  // of the second run, or of both
    size_t times;
  };
  const std::string already = "\": installed already, ";
  const Expected expected[] = {
      {"Notes", 1,
       "Application => \"Notes" + already +
           "DetectFile=C:\\QuillDemo\\Notes\\Notes-any.txt: not started.",
       1},
      {"Preinstalled", 0, "Application => \"Preinstalled" + already + "DetectKey=", 2},
      {"Preinstalled64", 0, "Application => \"Preinstalled64" + already + "DetectKey=", 2},
      {"Package", 1,
       "Application => \"Package" + already + "DetectMsi=" + ProductCode() + ": not started.", 1},
      {"Never", 2,
       "DETECTION => installed nothing: DetectFile=C:\\QuillDemo\\Never\\nothing.txt does not "
       "hold.",
       2},
      {"Plain", 2, "Application => \"Plain\"\r\n", 2},
      {"Native", 0, "Application => \"Native" + already, 2},
      {"SameVersion", 0, "Application => \"SameVersion" + already, 2},
      // On 32-bit Windows both views are its one registry.
      {"OtherView", GetParam().windows == WindowsBits::k64 ? 2u : 0u,
       GetParam().windows == WindowsBits::k64
           ? "installed nothing: DetectKey=HKLM64\\Software\\QuillDetect\\Preinstalled does"
           : "Application => \"OtherView" + already + "DetectKey=HKLM64",
       2},
      {"NewerVersion", 2,
       "installed nothing: DetectFile=%SystemRoot%\\System32\\kernel32.dll >= 10.0.18362.1351", 2},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(e.starts, Occurrences(log, "Processing: SysID => \"0xFFFF\", Application => \"" +
                                             e.app + "\"\r\n"))
        << e.app << "\n"
        << log;
    EXPECT_EQ(e.times, Occurrences(log, e.record)) << e.app << ": " << e.record << "\n" << log;
  }
  EXPECT_FALSE(machine().Exists("C:\\QuillDemo\\Preinstalled"));
  EXPECT_EQ(0u, Occurrences(log, "DETECT RULE")) << log;
  const std::string json =
      Quillplan("report '" + machine().HostPath("C:\\SYSTEM.SAV\\UTIL") + "' --json");
  const size_t failing = json.find("\"still_failing_list\"");
  ASSERT_NE(std::string::npos, failing) << json;
  const std::string listed = json.substr(failing, json.find(']', failing) - failing);
  EXPECT_NE(std::string::npos, listed.find("DETECT.LOG")) << listed;
  EXPECT_NE(std::string::npos, listed.find("Never")) << listed;
  EXPECT_EQ(std::string::npos, listed.find("Notes")) << listed;
}

// quillplan over the same share: the plan names the product code, and lint
// reads the package the rule is checked against with libmsi.
TEST_P(Detection, QuillplanShowsAndChecksTheRules) {
  const std::string plan = Quillplan("plan '" + machine().HostPath(kDetectIni) +
                                     "' --system-id DETECT-PC --os VISTA64 --lcid 0x409");
  EXPECT_NE(std::string::npos, plan.find("not started when installed: DetectMsi=" + ProductCode()))
      << plan;
  const std::string lint =
      "lint '" + machine().HostPath(kDetectIni) + "' --map 'C:=" + machine().HostPath("C:\\") + "'";
  EXPECT_EQ(std::string::npos, Quillplan(lint).find("[detect-")) << Quillplan(lint);
  std::string ini = IniText();
  const std::string other = "{5A1D0C3E-7B2F-4E61-9C0D-0000000000FF}";
  ini.replace(ini.find(ProductCode()), ProductCode().size(), other);
  ASSERT_TRUE(machine().WriteFile(kDetectIni, ini));
  const std::string findings = Quillplan(lint);
  EXPECT_NE(std::string::npos, findings.find("[detect-msi-not-the-package] DetectMsi " + other))
      << findings;
  EXPECT_NE(std::string::npos, findings.find(ProductCode() + ": the rule never holds")) << findings;
}

}  // namespace
}  // namespace quill::e2e
