// The demonstration's deployment share with real installers, built at test
// time of the bits of the program that starts them (32, or 64 where this
// machine runs no 32-bit code): silent NSIS installers in language folders,
// one under a path with a blank, and an MSI package installed through the
// system's msiexec.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "wine_machine.h"

namespace quill::e2e {
namespace {

const std::string kShareIni = "C:\\DARezad\\AppInstl\\QuillRun.ini";
const std::string kLog = "C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG";

// How long a real installer takes is not ours to say: its seconds and the
// time stamps are masked, every other byte is compared.
std::string Masked(const std::string& log) {
  static const std::regex stamp("[0-9:]{8} [A-Za-z]+day, [A-Za-z]+ [0-9]{2}, [0-9]{4}");
  static const std::regex seconds("less than [0-9]+ seconds");
  return std::regex_replace(std::regex_replace(log, stamp, "<STAMP>"), seconds, "less than N seconds");
}

std::string Installed(const std::string& list, const std::string& app, const std::string& command) {
  return "Processing: SysID => \"" + list + "\", Application => \"" + app + "\"\r\nLAUNCHED => \"" +
         command +
         "\"\r\nSTART:: <STAMP>\r\nEND  :: <STAMP>\r\n"
         "RESULT   => Command finished in less than N seconds.\r\n\r\n";
}

std::string Opening(const std::string& os_type, const std::string& lcid, const std::string& code) {
  const std::string stars(109, '*');
  return stars + "\r\nQUILLRUN starts at: <STAMP>\r\n" + stars +
         "\r\n\r\nSystemID      => 0xDEMO-PC\r\nOSType\t\t  => " + os_type + "\r\nLCID          => " +
         lcid + "\r\nLanguage Code => " + code + "\r\n\r\n";
}

class RealInstallers : public ::testing::Test {
 protected:
  virtual Target target() const { return Shipped(); }

  void SetUp() override {
    ASSERT_TRUE(machine().ready()) << machine().error();
    for (const char* path : {"C:\\SYSTEM.SAV", "C:\\DARezad", "C:\\QuillDemo",
                             "C:\\Program Files\\QuillDemoTool",
                             "C:\\Program Files (x86)\\QuillDemoTool"}) {
      ASSERT_TRUE(machine().Remove(path));
    }
    const std::string command = std::string("'") + QUILL_SOURCE_DIR + "/scripts/make-share' '" +
                                machine().HostPath("C:\\") + "' " + (installers64() ? "64" : "32") +
                                " >/dev/null";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
  }
  void TearDown() override { machine().Remove("C:\\SYSTEM.SAV"); }

  WineMachine& machine() { return WineMachine::For(target()); }
  bool installers64() const { return target().program == ProgramBits::k64; }

  RunResult RunShare(const std::string& windows_version, const std::string& locale) {
    RunOptions options;
    options.program = machine().ProgramPath(target().program);
    options.arguments = kShareIni;
    options.windows_version = windows_version;
    options.environment["ZYLNT_MACHINE_ID"] = "DEMO-PC";
    options.environment["LC_ALL"] = locale;
    options.time_limit_seconds = 180;
    return machine().Run(options);
  }

  std::string Log() {
    std::string bytes;
    return machine().ReadFile(kLog, &bytes) ? Masked(bytes) : "<no log>";
  }
};

class RealInstallersOnBothWindows : public RealInstallers,
                                    public ::testing::WithParamInterface<Target> {
 protected:
  Target target() const override { return GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(, RealInstallersOnBothWindows, ::testing::ValuesIn(BothWindows()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(RealInstallersOnBothWindows, VistaInEnglishInstallsNsisAndMsiPackages) {
  const bool windows64 = target().windows == WindowsBits::k64;
  const std::string drivers = windows64 ? "Drivers64" : "Drivers32";
  const RunResult result = RunShare("vista", "en_US.UTF-8");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  const std::string apps = "C:\\DARezad\\Apps\\";
  EXPECT_EQ(Opening(windows64 ? "VISTA64" : "VISTA32", "0x409", "12") +
                Installed("0xFFFF", "Reader", apps + "Reader\\12\\reader.exe /S /D=C:\\QuillDemo\\Reader") +
                Installed("0xFFFF", "Tool",
                          "C:\\windows\\system32\\msiexec.exe /i " + apps + "Tool\\tool.msi /qn") +
                Installed("0xDEMO-PC", "Notes", apps + "Quill Notes\\notes.exe /S /D=C:\\QuillDemo\\Notes") +
                Installed("0xDEMO-PC", "Viewer", apps + "Viewer\\12\\viewer.exe /S /D=C:\\QuillDemo\\Viewer") +
                Installed(windows64 ? "0xFFFF_VISTA64" : "0xFFFF_VISTA32", drivers,
                          apps + "Drivers\\" + (windows64 ? "drivers64" : "drivers32") +
                              ".exe /S /D=C:\\QuillDemo\\" + drivers),
            Log());
  for (const std::string& file : std::vector<std::string>{
           "C:\\QuillDemo\\Reader\\Reader-12.txt", "C:\\QuillDemo\\Notes\\Notes-any.txt",
           "C:\\QuillDemo\\Viewer\\Viewer-12.txt",
           "C:\\QuillDemo\\" + drivers + "\\" + drivers + "-any.txt",
           // a 32-bit package on a 64-bit Windows goes to its 32-bit folder
           windows64 && !installers64() ? "C:\\Program Files (x86)\\QuillDemoTool\\tool.txt"
                                        : "C:\\Program Files\\QuillDemoTool\\tool.txt"}) {
    EXPECT_TRUE(machine().Exists(file)) << file << " was not installed";
  }
  EXPECT_FALSE(machine().Exists(windows64 ? "C:\\QuillDemo\\Drivers32" : "C:\\QuillDemo\\Drivers64"));
  EXPECT_FALSE(machine().Exists("C:\\QuillDemo\\LegacyRuntime"));
}

// Again with WaitForExit=1: the same installers, the same log.
TEST_F(RealInstallers, JapaneseXpMachineGetsTheUsFallbackAndSkipsTheViewer) {
  const std::string apps = "C:\\DARezad\\Apps\\";
  const std::string expected =
      Opening("WINXP", "0x411", "37") +
      Installed("0xFFFF", "Reader", apps + "Reader\\US\\reader.exe /S /D=C:\\QuillDemo\\Reader") +
      Installed("0xFFFF", "Tool", "C:\\windows\\system32\\msiexec.exe /i " + apps + "Tool\\tool.msi /qn") +
      Installed("0xDEMO-PC", "Notes", apps + "Quill Notes\\notes.exe /S /D=C:\\QuillDemo\\Notes") +
      Installed("0xFFFF_WINXP", "LegacyRuntime", apps + "Legacy\\legacy.exe /S");
  for (const bool wait_for_exit : {false, true}) {
    SCOPED_TRACE(wait_for_exit ? "WaitForExit=1" : "as specified");
    if (wait_for_exit) {
      std::string ini;
      ASSERT_TRUE(machine().ReadFile(kShareIni, &ini));
      ASSERT_TRUE(machine().Remove(kLog));
      ASSERT_TRUE(machine().Remove("C:\\QuillDemo"));
      const size_t settings = ini.find("[Settings]\r\n");
      ASSERT_NE(std::string::npos, settings);
      ini.insert(settings + 12, "WaitForExit=1\r\n");
      ASSERT_TRUE(machine().WriteFile(kShareIni, ini));
    }
    const RunResult result = RunShare("winxp", "ja_JP.UTF-8");
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(1u, result.exit_code);
    EXPECT_EQ(expected, Log());
    EXPECT_TRUE(machine().Exists("C:\\QuillDemo\\Reader\\Reader-US.txt"));
    EXPECT_TRUE(machine().Exists("C:\\QuillDemo\\LegacyRuntime\\LegacyRuntime-any.txt"));
    EXPECT_FALSE(machine().Exists("C:\\QuillDemo\\Viewer"));
  }
}

}  // namespace
}  // namespace quill::e2e
