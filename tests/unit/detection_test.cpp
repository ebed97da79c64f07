#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"
#include "log/run_log.h"
#include "runner/detection.h"
#include "runner/exit_codes.h"
#include "runner/install_pass.h"

namespace quill {
namespace {

TEST(DetectRulesTest, ValuesReadByTheirSyntax) {
  struct Case {
    DetectKind kind;
    WString value;
    bool reads;
    std::string seen;  // codes, or path and version, as read
  };
  const Case cases[] = {
      {DetectKind::kMsi, u"{1234abcd-0000-1111-2222-333344445555}", true,
       "{1234ABCD-0000-1111-2222-333344445555}"},
      {DetectKind::kMsi,
       u"{00000000-0000-0000-0000-000000000001} ,\t{00000000-0000-0000-0000-000000000002}", true,
       "{00000000-0000-0000-0000-000000000001}{00000000-0000-0000-0000-000000000002}"},
      {DetectKind::kMsi, u"1234abcd-0000-1111-2222-333344445555", false, ""},
      {DetectKind::kMsi, u"{1234abcg-0000-1111-2222-333344445555}", false, ""},
      {DetectKind::kMsi, u"{00000000-0000-0000-0000-000000000001},", false, ""},
      {DetectKind::kMsi, u"{00000000-0000-0000-0000-0000000000011}", false, ""},
      {DetectKind::kFile, u"C:\\Apps\\a.exe", true, "C:\\Apps\\a.exe"},
      {DetectKind::kFile, u"%ProgramFiles%\\Q\\q.exe >= 5.1.2600.0", true,
       "%ProgramFiles%\\Q\\q.exe 5.1.2600.0"},
      {DetectKind::kFile, u"c:\\a.exe>=1.2", true, "c:\\a.exe 1.2.0.0"},
      {DetectKind::kFile, u"\\\\srv\\share\\a.exe >= 65535", true,
       "\\\\srv\\share\\a.exe 65535.0.0.0"},
      {DetectKind::kFile, u"a.exe", false, ""},
      {DetectKind::kFile, u"%", false, ""},
      {DetectKind::kFile, u"C:a.exe", false, ""},
      {DetectKind::kFile, u"\\\\srv", false, ""},
      {DetectKind::kFile, u"C:\\a.exe >= 1.2.3.4.5", false, ""},
      {DetectKind::kFile, u"C:\\a.exe >= 65536", false, ""},
      {DetectKind::kFile, u"C:\\a.exe >=", false, ""},
      {DetectKind::kFile, u"C:\\a.exe >= 1..2", false, ""},
      {DetectKind::kFile, u"C:\\a.exe >= 1.2 >= 3", false, ""},
      {DetectKind::kKey, u"HKLM\\Software\\Q", true, "Software\\Q"},
      {DetectKind::kKey, u"hkey_local_machine\\Software\\Q\\", true, "Software\\Q"},
      {DetectKind::kKey, u"HKCU\\Software\\Q", false, ""},
      {DetectKind::kKey, u"HKLM\\", false, ""},
      {DetectKind::kKey, u"HKLM\\A\\\\B", false, ""},
      {DetectKind::kKey, u"HKLMSoftware", false, ""},
      {DetectKind::kKey, u"hklm64\\Software\\Q", true, "Software\\Q 64"},
      {DetectKind::kKey, u"HKLM32\\Software\\Q", true, "Software\\Q 32"},
      {DetectKind::kKey, u"HKLM6\\Software\\Q", false, ""},
  };
  for (const Case& c : cases) {
    DetectRule rule;
    ASSERT_EQ(c.reads, ParseDetectRule(c.kind, c.value, &rule)) << Narrow(c.value);
    EXPECT_EQ(Narrow(DetectKeyName(c.kind) + (u"=" + c.value)), Narrow(rule.written));
    if (!c.reads) continue;
    std::string seen;
    for (const WString& code : rule.product_codes) seen += Narrow(code);
    seen += Narrow(rule.path);
    if (rule.view_64 != rule.view_32) seen += rule.view_64 ? " 64" : " 32";
    if (rule.has_version) {
      seen += " " + std::to_string(rule.least.parts[0]);
      for (int i = 1; i < 4; ++i) seen += "." + std::to_string(rule.least.parts[i]);
    }
    EXPECT_EQ(c.seen, seen) << Narrow(c.value);
  }
}

const char16_t kCode[] = u"{00000000-0000-0000-0000-0000000000AA}";

// Two runs of one INI file on one machine, as an administrator reruns it.
struct TwoRuns {
  TwoRuns(const WString& settings, const WString& app_keys, uint32_t code) {
    platform.AddIniFile(
        u"C:\\in.ini", u"[Settings]\nLogFile=C:\\r.log\n" + settings +
                           u"[0xFFFF]\nAPP1=A\n[A]\nAppPath=C:\\A\nAppSwitches=a.exe\n" + app_keys);
    platform.AddDirectory(u"C:\\A");
    platform.AddProgram(u"C:\\A\\a.exe", 0.5, code);
    // As the 32-bit program sees them on 64-bit Windows.
    platform.environment["PROGRAMFILES"] = "C:\\Program Files (x86)";
    platform.environment["PROGRAMFILES(X86)"] = "C:\\Program Files (x86)";
    platform.WriteMachineValue(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir",
                               u"C:\\Program Files");
  }
  std::string Run() {
    for (int run = 0; run < 2; ++run) {
      RunContext context;
      context.InputIniPath = u"C:\\in.ini";
      context.SystemID = u"0x1234";
      OpenRunLog(context, platform);
      ReadExitCodeSettings(context, platform);
      RunInstallPass(0, context, platform);
      CloseRunLog(context);
    }
    return platform.FileBytes(u"C:\\R.LOG");
  }
  FakePlatform platform;
};

const std::string kQueries[] = {"ExpandEnvironment", "IsProductInstalled",    "NativeFileExists",
                                "NativeFileVersion", "LocalMachineKeyExists", "ReadMachineValue"};

TEST(DetectionTest, RulesDecideOverTwoRuns) {
  using Machine = std::function<void(FakePlatform&)>;
  const Machine nothing = [](FakePlatform&) {};
  const Machine product = [](FakePlatform& p) { p.installed_products.insert(Narrow(kCode)); };
  const Machine file = [](FakePlatform& p) { p.AddFile(u"C:\\A\\done.txt", ""); };
  const Machine key32 = [](FakePlatform& p) { p.machine_keys_32.insert("SOFTWARE\\Q"); };
  const Machine key64 = [](FakePlatform& p) { p.machine_keys_64.insert("SOFTWARE\\Q"); };
  const Machine version32 = [](FakePlatform& p) {
    p.AddFileVersion(u"C:\\Program Files (x86)\\Q\\q.exe", FileVersion{{2, 1, 0, 0}});
  };
  const Machine unread = [](FakePlatform& p) {
    p.AddFileVersion(u"C:\\Program Files\\Q\\q.exe", FileVersion{{2, 1, 0, 0}});
    p.FailOn("ReadMachineValue");
  };
  const Machine relative = [](FakePlatform& p) {
    p.environment["HERE"] = "A";
    p.AddFile(u"A\\done.txt", "");
  };
  const auto version = [](uint16_t minor) {
    return Machine([minor](FakePlatform& p) {
      p.AddFileVersion(u"C:\\Program Files\\Q\\q.exe", FileVersion{{2, minor, 0, 0}});
    });
  };
  struct Case {
    WString settings;
    WString keys;
    Machine before;    // the machine as the first run finds it
    Machine installs;  // what a start of the installer leaves behind
    uint32_t code;
    size_t starts;     // over both runs
    std::string told;  // a record of either run; empty: no detection record
  };
  const WString log_codes = u"LogExitCodes=1\n";
  const WString msi = u"DetectMsi=" + WString(kCode) + u"\n";
  const std::string already = "DETECTION => Application => \"A\": installed already, ";
  const Case cases[] = {
      {log_codes, u"", nothing, file, 0, 2, ""},
      {log_codes, u"DetectFile=C:\\A\\done.txt\n", nothing, file, 0, 1,
       already + "DetectFile=C:\\A\\done.txt: not started.\r\n\r\n"},
      {u"", u"DetectKey=HKLM\\Software\\Q\n", key32, nothing, 0, 0,
       already + "DetectKey=HKLM\\Software\\Q: not started.\r\n\r\n"},
      {log_codes, u"DetectMsi={00000000-0000-0000-0000-000000000001}, " + WString(kCode) + u"\n",
       nothing, product, 0, 1, already + "DetectMsi=" + Narrow(kCode) + ": not started.\r\n\r\n"},
      {log_codes, msi, nothing, nothing, 0, 2,
       "EXIT CODE => 0, success.\r\n\r\nDETECTION => installed nothing: DetectMsi=" +
           Narrow(kCode) + " does not hold.\r\n\r\n"},
      {u"", msi, nothing, nothing, 1603, 2, "DETECTION => installed nothing: DetectMsi="},
      {log_codes, msi, nothing, nothing, 3010, 2,
       "DETECTION => waiting for the restart: DetectMsi=" + Narrow(kCode) + " does not hold yet."},
      {log_codes, msi, nothing, nothing, 1603, 2, ""},
      {log_codes, msi + u"DetectFile=C:\\A\\done.txt\n", nothing, file, 0, 2,
       "installed nothing: DetectMsi="},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1\n", version(0), nothing, 0, 2,
       "installed nothing: DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1 does not hold."},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1\n", version(1), nothing, 0, 0,
       already + "DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1: not started."},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1\n", version(2), nothing, 0, 0,
       already},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.0.0.1\n", version(0), nothing, 0, 2,
       "installed nothing: DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.0.0.1 does not hold."},
      {u"", u"DetectKey=HKLM\\Software\\Q\n", key64, nothing, 0, 0, already},
      // One view named: the other does not hold.
      {u"", u"DetectKey=HKLM64\\Software\\Q\n", key32, nothing, 0, 2,
       "installed nothing: DetectKey=HKLM64\\Software\\Q does not hold."},
      {u"", u"DetectKey=HKLM32\\Software\\Q\n", key64, nothing, 0, 2,
       "installed nothing: DetectKey=HKLM32\\Software\\Q does not hold."},
      {u"", u"DetectKey=HKLM32\\Software\\Q\n", key32, nothing, 0, 0, already},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1\n", version32, nothing, 0, 2,
       "installed nothing: DetectFile=%ProgramFiles%"},
      {log_codes, u"DetectFile=%ProgramFiles(x86)%\\Q\\q.exe >= 2.1\n", version32, nothing, 0, 0,
       already},
      {log_codes, u"DetectFile=%ProgramFiles%\\Q\\q.exe >= 2.1\n", unread, nothing, 0, 2,
       "installed nothing: DetectFile=%ProgramFiles%"},
      {log_codes, msi, nothing, nothing, 1641, 2,
       "DETECTION => waiting for the restart: DetectMsi=" + Narrow(kCode) + " does not hold yet."},
      // Every rule must hold, and the first that does not is the one told.
      {log_codes, msi + u"DetectFile=C:\\A\\done.txt\n", file, nothing, 0, 2,
       "installed nothing: DetectMsi="},
      {log_codes, msi + u"DetectFile=C:\\A\\done.txt\n", nothing, nothing, 0, 2,
       "installed nothing: DetectMsi="},
      {log_codes, u"DetectFile=%HERE%\\done.txt\n", relative, nothing, 0, 2,
       "installed nothing: DetectFile=%HERE%\\done.txt does not hold."},
      {log_codes, u"DetectFile=C:\\A\\done.txt\nDetectKey=HKCU\\Q\n", file, nothing, 0, 0,
       "DETECT RULE  => DetectKey=HKCU\\Q in [A] does not read: the rule is left out.\r\n" +
           already},
      {log_codes, u"DetectMsi=nonsense\n", product, nothing, 0, 2,
       "DETECT RULE  => DetectMsi=nonsense in [A] does not read: the rule is left out.\r\n"
       "Processing: SysID"},
  };
  for (const Case& c : cases) {
    const std::string label = Narrow(c.settings + c.keys) + std::to_string(c.code);
    TwoRuns runs(c.settings, c.keys, c.code);
    c.before(runs.platform);
    runs.platform.OnStart(u"C:\\A\\a.exe", [&] { c.installs(runs.platform); });
    const std::string log = runs.Run();
    EXPECT_EQ(c.starts, runs.platform.CallsNamed("StartProcess").size()) << label;
    if (c.told.empty()) {
      EXPECT_EQ(std::string::npos, log.find("DETECTION =>")) << label << log;
    } else {
      EXPECT_NE(std::string::npos, log.find(c.told)) << label << log;
    }
    if (!c.keys.empty()) continue;
    for (const std::string& query : kQueries) {  // no rules: nothing new asked
      EXPECT_TRUE(runs.platform.CallsNamed(query).empty()) << query;
    }
  }
}

// A resumed run asks the rules of the installer it resumes after, once: a
// reboot verdict that installed nothing is a failure after all.
TEST(DetectionTest, AResumedRunAsksTheInstallerItResumesAfter) {
  for (const bool installed : {false, true}) {
    TwoRuns runs(u"LogExitCodes=1\n", u"DetectFile=C:\\A\\done.txt\n", 3010);
    if (installed) runs.platform.AddFile(u"C:\\A\\done.txt", "");
    RunContext context;
    context.InputIniPath = u"C:\\in.ini";
    context.SystemID = u"0x1234";
    context.ResumeAfter = {0, 1, 1};
    OpenRunLog(context, runs.platform);
    RunInstallPass(0, context, runs.platform);
    CloseRunLog(context);
    const std::string log = runs.platform.FileBytes(u"C:\\R.LOG");
    EXPECT_TRUE(runs.platform.CallsNamed("StartProcess").empty());
    const std::string told =
        installed ? "DETECTION => installed after the restart: Application => \"A\", "
                    "DetectFile=C:\\A\\done.txt.\r\n\r\n"
                  : "DETECTION => installed nothing after the restart: Application => \"A\", "
                    "DetectFile=C:\\A\\done.txt does not hold.\r\n\r\n";
    const size_t at = log.find(told);
    ASSERT_NE(std::string::npos, at) << log;
    EXPECT_EQ(std::string::npos, log.find("DETECTION", at + told.size())) << log;
  }
}

}  // namespace
}  // namespace quill
