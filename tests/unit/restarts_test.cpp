#include <gtest/gtest.h>

#include <sstream>

#include "fake_platform.h"
#include "run/entry.h"
#include "runner/restarts.h"

namespace quill {
namespace {

const WString kIni = u"C:\\Share\\deploy.ini";
const char kLog[] = "C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG";

// A machine whose common section lists one installer per exit code; a
// RunOnce command left behind is run the way Windows runs it at the next
// start: taken out of the registry first.
struct Deployment {
  Deployment(const WString& settings, const std::vector<uint32_t>& codes) : codes(codes) {
    platform.command_line = "C:\\Tools\\QUILLRUN.EXE \\Share\\deploy.ini";
    platform.current_directory = u"C:\\Tools";
    platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
    platform.AddDirectory(u"C:\\SYSTEM.SAV");
    platform.AddDirectory(u"C:\\Share");
    platform.AddFile(u"C:\\Share\\LANG.INI", "[12]\r\nLCID=0x409\r\n");
    for (size_t i = 0; i < codes.size(); ++i) { platform.AddProgram(Command(i), 0.2, codes[i]); }
    WriteIni(settings);
  }
  WString Command(size_t i) const {
    return u"C:\\Apps\\a" + Widen(std::to_string(i + 1)) + u".exe";
  }
  void WriteIni(const WString& settings, const WString& path = kIni) {
    WString text =
        u"[Settings]\nAppInstlPath=C:\\Share\nWaitForExit=1\n" + settings + u"[0xFFFF]\n";
    for (size_t i = 0; i < codes.size(); ++i) {
      const WString n = Widen(std::to_string(i + 1));
      text += u"APP" + n + u"=A" + n + u"\n";
    }
    for (size_t i = 0; i < codes.size(); ++i) {
      const WString n = Widen(std::to_string(i + 1));
      text += u"[A" + n + u"]\nAppPath=C:\\Apps\nAppSwitches=a" + n + u".exe\n";
    }
    platform.AddIniFile(path, text);
  }
  // Runs until no resumption is left; `between` runs before each resumed run.
  void RunAll(const std::function<void(int)>& between = [](int) {}) {
    for (int run = 0; run < 12; ++run) {
      RunContext context;
      exit_codes.push_back(RunFromCommandLine(context, platform));
      const WString* resume = platform.MachineValue(kRunOnceKey, kRunOnceName);
      if (resume == nullptr) return;
      platform.command_line = Narrow(*resume);
      platform.DeleteMachineValue(kRunOnceKey, kRunOnceName);
      if (unrestarted > 0) {
        --unrestarted;
      } else {
        platform.Restart();
      }
      between(run);
    }
  }
  std::vector<int> Starts() const {
    std::vector<int> starts;
    for (size_t i = 0; i < codes.size(); ++i) {
      starts.push_back(
          static_cast<int>(platform.CallsNamed("StartProcess " + Narrow(Command(i))).size()));
    }
    return starts;
  }
  // The log's restart and resume lines, and a "*" where a run begins.
  std::string RestartLines() const {
    std::istringstream log(platform.FileBytes(Widen(kLog)));
    std::string line, lines;
    while (std::getline(log, line)) {
      if (line.rfind("QUILLRUN starts", 0) == 0) lines += "*\n";
      if (line.rfind("RESTART", 0) == 0 || line.rfind("RESUME", 0) == 0 ||
          line.find("MaxRestarts=") != std::string::npos) {
        lines += line.substr(0, line.size() - 1) + "\n";
      }
    }
    return lines;
  }
  std::vector<uint32_t> codes;
  int unrestarted = 0;  // resumptions run before Windows restarts (by hand, or as Wine does)
  FakePlatform platform;
  std::vector<int> exit_codes;
};

std::string Stop(const std::string& of, const std::string& app) {
  return "RESTART   => The run stops for restart " + of + " and resumes after \"" + app + "\".\n";
}

std::string Resume(const std::string& of, const std::string& app_key) {
  return "*\nRESUME    => Restart " + of + " is done: the run resumes after " + app_key +
         " of [0xFFFF].\n";
}

const std::string kNotRegistered =
    "RESTART   => The resumption cannot be registered: the run goes on without restarting, and "
    "Windows needs a restart.\n";

const std::string kClamped =
    "EXIT CODES   => MaxRestarts=25 in [Settings] is past its bound: 10 is used.\n";

TEST(RestartTest, ARunStopsAtARebootVerdictAndResumesAfterIt) {
  struct Case {
    WString settings;
    std::vector<uint32_t> codes;
    std::string fail;  // an operation that fails throughout
    std::string seen;  // starts of each installer, exit code of each run, restarts asked for
    std::string lines;
  };
  const WString on = u"LogExitCodes=1\nMaxRestarts=";
  const Case cases[] = {
      {on + u"2",
       {0, 3010, 0, 3010, 0},
       "",
       "11111 001 2",
       Stop("1 of 2", "A2") + Resume("1 of 2", "APP2") + Stop("2 of 2", "A4") +
           Resume("2 of 2", "APP4")},
      {on + u"1",
       {3010, 0, 3010, 0},
       "",
       "1111 01 1",
       Stop("1 of 1", "A1") + Resume("1 of 1", "APP1") +
           "RESTART   => The bound of 1 restarts is reached: the run goes on without restarting, "
           "and Windows needs a restart.\n"},
      // An installer that restarts Windows itself: the run only ends.
      {on + u"3", {1641, 0}, "", "11 01 0", Stop("1 of 3", "A1") + Resume("1 of 3", "APP1")},
      {u"LogExitCodes=1",
       {0, 1641, 0},
       "",
       "110 0 0",
       "RESTART   => Windows is restarting: the run ends here, and no installer after this one "
       "is started.\n"},
      {on + u"1",
       {3010, 1641, 0},
       "",
       "110 00 1",
       Stop("1 of 1", "A1") + Resume("1 of 1", "APP1") +
           "RESTART   => Windows is restarting and the bound of 1 restarts is reached: the run "
           "ends here and does not resume.\n"},
      {u"MaxRestarts=2",
       {3010, 0},
       "",
       "11 1 0",
       "RESTART   => MaxRestarts is not used without LogExitCodes=1.\n"},
      {on + u"0", {3010, 0}, "", "11 1 0", ""},
      {on + u"25",
       {3010, 0},
       "",
       "11 01 1",
       kClamped + Stop("1 of 10", "A1") + "*\n" + kClamped + Resume("1 of 10", "APP1").substr(2)},
      {on + u"10", {3010, 0}, "", "11 01 1", Stop("1 of 10", "A1") + Resume("1 of 10", "APP1")},
      {on + u"1", {3010, 0}, "WriteMachineValue", "11 1 0", kNotRegistered},
      {on + u"1", {3010, 0}, "ReadFileStamp", "11 1 0", kNotRegistered},
      {on + u"1", {3010, 0}, "ReadBootTime", "11 1 0", kNotRegistered},
      // Windows refuses to restart: no later start claims it happened.
      {on + u"1",
       {3010, 0},
       "RequestRestart",
       "10 0 1",
       Stop("1 of 1", "A1") +
           "RESTART   => Windows refused the restart: the resumption is removed, the run ends "
           "here, and Windows needs a restart.\n"},
  };
  for (const Case& c : cases) {
    Deployment deployment(c.settings + u"\n", c.codes);
    if (!c.fail.empty()) deployment.platform.FailOn(c.fail);
    deployment.RunAll();
    const std::string name = Narrow(c.settings) + " " + c.fail;
    std::string seen;
    for (int starts : deployment.Starts()) seen += std::to_string(starts);
    seen += " ";
    for (int code : deployment.exit_codes) seen += std::to_string(code);
    EXPECT_EQ(c.seen, seen + " " + std::to_string(deployment.platform.restart_requests())) << name;
    EXPECT_EQ("*\n" + c.lines, deployment.RestartLines()) << name;
    // Whatever the path, a deployment that ended leaves nothing behind.
    EXPECT_EQ(nullptr, deployment.platform.MachineValue(kMemoryKey, kMemoryName)) << name;
    EXPECT_EQ(nullptr, deployment.platform.MachineValue(kRunOnceKey, kRunOnceName)) << name;
    // Without the bound in force, nothing is written to the registry; and
    // without the key it is never asked.
    const std::vector<std::string>& calls = deployment.platform.calls();
    const bool asks = std::any_of(calls.begin(), calls.end(), [](const std::string& call) {
      return call.find("WriteMachineValue") != std::string::npos;
    });
    EXPECT_EQ(name.find("MaxRestarts") != std::string::npos,
              !deployment.platform.CallsNamed("ReadMachineValue").empty())
        << name;
    const bool in_force = name.find("LogExitCodes=1\nMaxRestarts=") != std::string::npos &&
                          name.find("MaxRestarts=0") == std::string::npos;
    EXPECT_FALSE(asks && !in_force) << name;
  }
}

// The RunOnce command names the program and the INI file as a restart finds
// them, from another current directory.
TEST(RestartTest, TheResumptionNamesBothFilesWhole) {
  Deployment deployment(u"LogExitCodes=1\nMaxRestarts=1\n", {3010, 0});
  deployment.platform.command_line = "QUILLRUN.EXE deploy.ini";
  deployment.WriteIni(u"LogExitCodes=1\nMaxRestarts=1\n", u"C:deploy.ini");
  deployment.WriteIni(u"LogExitCodes=1\nMaxRestarts=1\n", u"C:\\Tools\\deploy.ini");
  RunContext context;
  EXPECT_EQ(0, RunFromCommandLine(context, deployment.platform));
  const WString* command = deployment.platform.MachineValue(kRunOnceKey, kRunOnceName);
  ASSERT_NE(nullptr, command);
  EXPECT_EQ("\"C:\\QUILLRUN\\QUILLRUN.EXE\" C:\\Tools\\deploy.ini", Narrow(*command));
  // Windows runs no RunOnce command past 259 characters.
  for (size_t length : {237, 238}) {
    Deployment at(u"LogExitCodes=1\nMaxRestarts=1\n", {3010, 0});
    at.platform.command_line = "QUILLRUN.EXE C:\\Tools\\deploy.ini";
    at.WriteIni(u"LogExitCodes=1\nMaxRestarts=1\n", u"C:\\Tools\\deploy.ini");
    at.platform.program_path = u"C:\\" + WString(length - 16, u'x') + u"\\QUILLRUN.EXE";
    RunContext fresh;
    RunFromCommandLine(fresh, at.platform);
    const WString* registered = at.platform.MachineValue(kRunOnceKey, kRunOnceName);
    EXPECT_EQ(length == 237 ? 259u : 0u, registered == nullptr ? 0u : registered->size());
  }
  // Where the files lie: a mapped drive, gone after the restart, is named by
  // its share; a share, or a folder users may write, is told.
  struct Place {
    WString program, ini, writable;
    std::string command, lines;
  };
  const std::string share =
      " lies on a share: after the restart the resumption runs it as an "
      "administrator, if it is there then (copy it to C: first).\n";
  const Place places[] = {
      {u"Z:\\QUILLRUN.EXE", u"Z:\\dep\\deploy.ini", u"",
       "\"\\\\srv\\d\\QUILLRUN.EXE\" \\\\srv\\d\\dep\\deploy.ini",
       "RESTART   => The program \\\\srv\\d\\QUILLRUN.EXE" + share +
           "RESTART   => The Input INI file \\\\srv\\d\\dep\\deploy.ini" + share},
      {u"\\\\srv\\t\\QUILLRUN.EXE", u"C:\\Share\\deploy.ini", u"C:\\Share",
       "\"\\\\srv\\t\\QUILLRUN.EXE\" C:\\Share\\deploy.ini",
       "RESTART   => The program \\\\srv\\t\\QUILLRUN.EXE" + share +
           "RESTART   => The Input INI file C:\\Share\\deploy.ini lies where users may write: "
           "after the restart the resumption runs as an administrator whatever they leave there "
           "(copy it to a folder only administrators may change).\n"},
  };
  for (const Place& place : places) {
    Deployment at(u"", {3010, 0});
    at.platform.MapDrive(u"Z:", u"\\\\srv\\d");
    at.platform.AddDirectory(u"Z:\\dep");
    if (!place.writable.empty()) at.platform.LetUsersWrite(place.writable);
    at.platform.program_path = place.program;
    at.platform.command_line = "QUILLRUN.EXE " + Narrow(place.ini);
    at.WriteIni(u"LogExitCodes=1\nMaxRestarts=1\n", place.ini);
    RunContext fresh;
    RunFromCommandLine(fresh, at.platform);
    const WString* registered = at.platform.MachineValue(kRunOnceKey, kRunOnceName);
    ASSERT_NE(nullptr, registered);
    EXPECT_EQ(place.command, Narrow(*registered));
    at.platform.command_line = Narrow(*registered);  // as Windows runs it after the restart
    at.platform.DeleteMachineValue(kRunOnceKey, kRunOnceName);
    at.platform.Restart();
    at.RunAll();
    EXPECT_EQ("*\n" + place.lines + Stop("1 of 1", "A1") + Resume("1 of 1", "APP1"),
              at.RestartLines())
        << place.command;
  }
  // The log is closed before the restart is asked for.
  const std::vector<std::string>& calls = deployment.platform.calls();
  const auto close = std::find(calls.begin(), calls.end(), "Close " + std::string(kLog));
  EXPECT_LT(close - calls.begin(),
            std::find(calls.begin(), calls.end(), "RequestRestart") - calls.begin());
  // From a session no user is logged on to (a startup script), the call
  // that restarts there; one that cannot be told is taken for such.
  const struct {
    bool interactive;
    const char* failing;
    const char* asked;
  } sessions[] = {{true, "", "RequestRestart"},
                  {false, "", "RequestRestart system shutdown"},
                  {true, "InInteractiveSession", "RequestRestart system shutdown"}};
  for (const auto& session : sessions) {
    Deployment at(u"LogExitCodes=1\nMaxRestarts=1\n", {3010, 0});
    at.platform.interactive_session = session.interactive;
    if (*session.failing) at.platform.FailOn(session.failing);
    at.RunAll();
    EXPECT_EQ(std::vector<std::string>{session.asked}, at.platform.CallsNamed("RequestRestart"))
        << session.asked;
  }
}

std::string Stale(const std::string& of) {
  return "*\nRESUME    => The Input INI file is not as it was at restart " + of +
         ": the run starts from the top.\n";
}

const std::string kAtBound =
    "RESTART   => The bound of 2 restarts is reached: the run goes on without restarting, and "
    "Windows needs a restart.\n";

// What the machine remembers that does not fit the INI file as it is now:
// the run starts from the top, and the restarts made still count.
TEST(RestartTest, AMemoryThatDoesNotFitStartsFromTheTopWithinTheBound) {
  const WString settings = u"LogExitCodes=1\nMaxRestarts=2\n";
  using Edit = std::function<void(Deployment&)>;
  const auto remember = [](int32_t restarts, WalkPosition after, WString path = kIni) {
    return [=](Deployment& d) {
      DeploymentMemory memory{path, {}, restarts, after};
      d.platform.ReadFileStamp(kIni, &memory.stamp);
      d.platform.AddMachineValue(kMemoryKey, kMemoryName, EncodeMemory(memory));
    };
  };
  const Edit nothing = [](Deployment&) {};
  const Edit rewrite = [&](Deployment& d) { d.WriteIni(settings + u";rewritten\n"); };
  struct Case {
    const char* what;
    Edit before;   // before the first run
    Edit between;  // before each resumed run
    std::string starts;
    std::string lines;
  };
  const std::string unread =
      "*\nRESUME    => The Input INI file C:\\Share\\deploy.ini of an earlier restart cannot be "
      "read: its memory is cleared, and nothing is resumed.\n";
  const Case cases[] = {
      {"run again before the restart", [](Deployment& d) { d.unrestarted = 1; }, nothing, "11",
       Stop("1 of 2", "A1") +
           "*\nRESUME    => Windows has not restarted since restart 1 of 2 was asked for: nothing "
           "is resumed or started before it has.\n" +
           Resume("1 of 2", "APP1")},
      {"the INI file gone", nothing, [](Deployment& d) { d.platform.RemoveFile(kIni); }, "10",
       Stop("1 of 2", "A1") + unread},
      {"the INI file unreadable", nothing, [](Deployment& d) { d.platform.MakeUnreadable(kIni); },
       "10", Stop("1 of 2", "A1") + unread},
      {"rewritten at every start", nothing, rewrite, "31",
       Stop("1 of 2", "A1") + Stale("1 of 2") + Stop("2 of 2", "A1") + Stale("2 of 2") + kAtBound},
      {"the path in another case", nothing,
       [](Deployment& d) {
         d.platform.command_line = "C:\\QUILLRUN\\QUILLRUN.EXE c:\\share\\DEPLOY.ini";
       },
       "11", Stop("1 of 2", "A1") + Resume("1 of 2", "APP1")},
      {"APP99 of two", remember(1, {0, 1, 99}), nothing, "11",
       Stale("1 of 2").substr(2) + Stop("2 of 2", "A1") + Resume("2 of 2", "APP1")},
      {"a section that is not there", remember(1, {1, 2, 1}), nothing, "11",
       Stale("1 of 2").substr(2) + Stop("2 of 2", "A1") + Resume("2 of 2", "APP1")},
      {"restart 10 of 2", remember(10, {0, 1, 1}), nothing, "11",
       Stale("10 of 2").substr(2) + kAtBound},
      {"the bound taken away",
       [&](Deployment& d) {
         remember(1, {0, 1, 1})(d);
         d.WriteIni(u"LogExitCodes=1\nMaxRestarts=0\n");
       },
       nothing, "11",
       "RESUME    => MaxRestarts is not in force: the memory of an earlier restart is cleared, "
       "and the run starts from the top.\n"},
      {"another INI file's", remember(1, {0, 1, 1}, u"C:\\Old\\deploy.ini"), nothing, "11",
       "RESUME    => The memory of an earlier restart is of another Input INI file, "
       "C:\\Old\\deploy.ini: it is cleared, and the run starts from the top.\n" +
           Stop("1 of 2", "A1") + Resume("1 of 2", "APP1")},
  };
  for (const Case& c : cases) {
    Deployment deployment(settings, {3010, 0});
    c.before(deployment);
    deployment.RunAll([&](int) { c.between(deployment); });
    std::string starts;
    for (int each : deployment.Starts()) starts += std::to_string(each);
    EXPECT_EQ(c.starts, starts) << c.what;
    EXPECT_EQ("*\n" + c.lines, deployment.RestartLines()) << c.what;
    EXPECT_EQ(nullptr, deployment.platform.MachineValue(kMemoryKey, kMemoryName)) << c.what;
    EXPECT_EQ(nullptr, deployment.platform.MachineValue(kRunOnceKey, kRunOnceName)) << c.what;
  }
}

// The place to go on from lies in pass 1: pass 0 is passed over whole.
TEST(RestartTest, AResumptionInPassOneSkipsPassZero) {
  Deployment deployment(u"", {0, 3010, 0});
  deployment.platform.AddIniFile(
      kIni,
      u"[Settings]\nAppInstlPath=C:\\Share\nLogExitCodes=1\nMaxRestarts=1\n[0xFFFF]\nAPP1=A1\n"
      u"[0xFFFF_WINXP]\nAPP1=A2\n[0xPC42_WINXP]\nAPP1=A3\n[A1]\nAppPath=C:\\Apps\nAppSwitches=a1."
      u"exe\n"
      u"[A2]\nAppPath=C:\\Apps\nAppSwitches=a2.exe\n[A3]\nAppPath=C:\\Apps\nAppSwitches=a3.exe\n");
  deployment.RunAll();
  EXPECT_EQ((std::vector<int>{1, 1, 1}), deployment.Starts());
  EXPECT_EQ((std::vector<int>{0, 1}), deployment.exit_codes);
  EXPECT_EQ("*\n" + Stop("1 of 1", "A2") +
                "*\nRESUME    => Restart 1 of 1 is done: the run resumes after APP1 of "
                "[0xFFFF_WINXP].\n",
            deployment.RestartLines());
}

TEST(RestartTest, MemoryReadsBackOnlyAsWritten) {
  DeploymentMemory memory;
  memory.ini_path = u"C:\\A;B\\deploy.ini";
  memory.stamp = {1234, 18446744073709551615ull};
  memory.restarts = 10;
  memory.after = {1, 2, 2147483647};
  memory.asked_at = 9223372036854775807;
  DeploymentMemory read;
  ASSERT_TRUE(DecodeMemory(EncodeMemory(memory), &read));
  EXPECT_EQ(EncodeMemory(memory), EncodeMemory(read));
  // The first format kept no time of the request: it does not read.
  const WString unread[] = {u"",
                            u"1;1;0;1;1;0;0;C:\\x.ini",
                            u"3;1;0;1;1;0;0;0;C:\\x.ini",
                            u"2;11;0;1;1;0;0;0;C:\\x.ini",
                            u"2;0;0;1;1;0;0;0;C:\\x.ini",
                            u"2;1;2;1;1;0;0;0;C:\\x.ini",
                            u"2;1;0;3;1;0;0;0;C:\\x.ini",
                            u"2;1;0;1;0;0;0;0;C:\\x.ini",
                            u"2;1;0;1;1;0;18446744073709551616;0;C:\\x.ini",
                            u"2;1;0;1;1;0;0;9223372036854775808;C:\\x.ini",
                            u"2;1;0;1;1;0;0;0;",
                            u"2;1;0;1;+1;0;0;0;C:\\x.ini",
                            u"2;1;0;1;1;0;0;C:\\x.ini"};
  for (const WString& text : unread) {
    DeploymentMemory untouched = memory;
    EXPECT_FALSE(DecodeMemory(text, &untouched)) << Narrow(text);
    EXPECT_EQ(EncodeMemory(memory), EncodeMemory(untouched)) << Narrow(text);
  }
}

}  // namespace
}  // namespace quill
