#include <gtest/gtest.h>

#include <regex>

#include "fake_platform.h"
#include "run/entry.h"
#include "runner/launch_limits.h"

namespace quill {
namespace {

const std::string kBannerStars(109, '*');

std::string Opening(const std::string& os_type) {
  return kBannerStars + "\r\nQUILLRUN starts at: 09:05:03 Sunday, December 06, 2026\r\n" + kBannerStars +
         "\r\n\r\nSystemID      => 0xPC42\r\nOSType\t\t  => " + os_type + "\r\n";
}

// A deployment share on a fake machine: an input INI, a language table, two
// applications and an identity library.
struct Machine {
  explicit Machine(const WString& settings = u"AppInstlPath=C:\\Share\n") {
    platform.command_line = "C:\\Tools\\QUILLRUN.EXE \\Share\\deploy.ini";
    platform.current_directory = u"C:\\Tools";
    platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
    platform.AddDirectory(u"C:\\SYSTEM.SAV");
    platform.AddDirectory(u"C:\\Share");
    platform.AddFile(u"C:\\Share\\LANG.INI", "[12]\r\nLCID=0x409\r\n[04]\r\nLCID=0x407\r\n");
    platform.AddDirectory(u"C:\\Apps\\Reader\\12");
    platform.AddIniFile(
        u"C:\\Share\\deploy.ini",
        u"[Settings]\n" + settings +
            u"[0xFFFF]\nAPP1=Reader\n[0xPC42]\nAPP1=Tool\n"
            u"[0xFFFF_WINXP]\nAPP1=Tool\n[0xPC42_VISTA32]\nAPP1=Reader\n"
            u"[0xPC42_WIN10X64]\nAPP1=Tool\n"
            u"[Reader]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s\n"
            u"[Tool]\nAppPath=C:\\Apps\\Tool\nAppSwitches=tool.exe\n");
    platform.AddProgram(u"C:\\Apps\\Reader\\12\\setup.exe /s", 5);
    platform.AddProgram(u"C:\\Apps\\Tool\\tool.exe", 0.2);
  }
  int Run() { return RunFromCommandLine(context, platform); }
  std::string Log() const { return platform.FileBytes(u"C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG"); }
  FakePlatform platform;
  RunContext context;
};

std::string MaskTimeStamps(const std::string& log) {
  static const std::regex stamp("[0-9]{2}:[0-9]{2}:[0-9]{2} [A-Za-z]+, [A-Za-z]+ [0-9]{2}, [0-9]{4}");
  return std::regex_replace(log, stamp, "<STAMP>");
}

// WaitForExit=1 ends each wait when its installer ends: the same log but
// for the time stamps. Any other value leaves the run exactly as it was.
TEST(RunSequenceTest, FullRunOnWindowsXp) {
  const std::string expected =
      Opening("WINXP") +
      "LCID          => 0x409\r\n"
      "Language Code => 12\r\n\r\n"
      "Processing: SysID => \"0xFFFF\", Application => \"Reader\"\r\n"
      "LAUNCHED => \"C:\\Apps\\Reader\\12\\setup.exe /s\"\r\n"
      "START:: 09:05:03 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:10 Sunday, December 06, 2026\r\n"
      "RESULT   => Command finished in less than 7 seconds.\r\n\r\n"
      "Processing: SysID => \"0xPC42\", Application => \"Tool\"\r\n"
      "LAUNCHED => \"C:\\Apps\\Tool\\tool.exe\"\r\n"
      "START:: 09:05:10 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:11 Sunday, December 06, 2026\r\n"
      "RESULT   => Command finished in less than 1 seconds.\r\n\r\n"
      "Processing: SysID => \"0xFFFF_WINXP\", Application => \"Tool\"\r\n"
      "LAUNCHED => \"C:\\Apps\\Tool\\tool.exe\"\r\n"
      "START:: 09:05:11 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:12 Sunday, December 06, 2026\r\n"
      "RESULT   => Command finished in less than 1 seconds.\r\n\r\n";
  struct Case {
    WString setting;
    bool waits_for_exit;
  };
  const Case cases[] = {
      {u"", false},
      {u"WaitForExit=0\n", false},
      {u"WaitForExit=yes\n", false},
      {u"WaitForExit=01\n", false},
      {u"WaitForExit=1\n", true},
      {u"waitforexit=1\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.setting));
    Machine m(u"AppInstlPath=C:\\Share\n" + c.setting);
    EXPECT_EQ(1, m.Run());
    EXPECT_EQ(MaskTimeStamps(expected), MaskTimeStamps(m.Log()));
    EXPECT_EQ(0, m.platform.open_append_files()) << "closed after pass 1";
    if (c.waits_for_exit) {
      EXPECT_TRUE(m.platform.CallsNamed("Pause").empty());
      // 5 s, 0.2 s and 0.2 s of installers, where polling slept 9 s.
      EXPECT_NE(std::string::npos, m.Log().find("END  :: 09:05:08 Sunday"));
      EXPECT_EQ(1796547903000 + 5400, m.platform.now_ms);
    } else {
      EXPECT_TRUE(m.platform.CallsNamed("WaitForEnd").empty());
      EXPECT_EQ(expected, m.Log());
    }
  }
}

// Before each installer starts, the log's bytes up to its START record are
// appended and then flushed to disk; a failed flush changes nothing else.
TEST(RunSequenceTest, EveryRecordIsInTheFileAndOnDiskBeforeEachInstallerStarts) {
  const std::string log = "C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG";
  std::string first_log;
  for (const bool flush_fails : {false, true}) {
    SCOPED_TRACE(flush_fails ? "the flush fails" : "the flush works");
    Machine m;
    if (flush_fails) m.platform.FailOn("Flush");
    EXPECT_EQ(1, m.Run());
    const std::string bytes = m.Log();
    if (!flush_fails) first_log = bytes;
    EXPECT_EQ(first_log, bytes);

    size_t appended = 0;
    size_t start_record = 0;
    std::string last_file_call;
    int launches = 0;
    for (const std::string& call : m.platform.calls()) {
      if (call.rfind("Append " + log + " ", 0) == 0) {
        appended += std::stoul(call.substr(call.rfind(' ') + 1));
        last_file_call = "Append";
      } else if (call == "Flush " + log) {
        last_file_call = "Flush";
      } else if (call.rfind("StartProcess ", 0) == 0) {
        ++launches;
        start_record = bytes.find("START:: ", start_record);
        ASSERT_NE(std::string::npos, start_record);
        start_record = bytes.find("\r\n", start_record) + 2;
        EXPECT_EQ(start_record, appended) << "before launch " << launches;
        EXPECT_EQ("Flush", last_file_call) << "before launch " << launches;
      }
    }
    EXPECT_EQ(3, launches);
  }
}

TEST(RunSequenceTest, UnrecognisedSystemRunsPassZeroOnlyAndLeavesTheLogComplete) {
  Machine m;
  m.platform.version = {kVersionRecordBytes, 6, 1, kPlatformWin32Nt};
  EXPECT_EQ(0, m.Run());
  EXPECT_EQ(1, m.platform.open_append_files()) << "nothing closes the log";
  EXPECT_EQ(std::vector<std::string>({"StartProcess C:\\Apps\\Reader\\12\\setup.exe /s",
                                      "StartProcess C:\\Apps\\Tool\\tool.exe"}),
            m.platform.CallsNamed("StartProcess"));
  m.context.RunLogStream.reset();  // process exit
  const std::string bytes = m.Log();
  EXPECT_EQ(0u, bytes.find(Opening("")));
  const std::string last = "RESULT   => Command finished in less than 1 seconds.\r\n\r\n";
  EXPECT_EQ(bytes.size() - last.size(), bytes.rfind(last));
}

// Windows 10 under WOW64, its version record capped at 6.2: named only when
// the key asks, before the identity records are written.
TEST(RunSequenceTest, NewerWindowsNamesTheSystemOnlyWhenAsked) {
  struct Case {
    WString settings;
    std::string os_type;
    int exit_code;
    size_t starts;
    int open_files;
  };
  const Case cases[] = {
      {u"", "", 0, 2, 1},
      {u"NewerWindows=yes\n", "", 0, 2, 1},
      {u"NewerWindows=1\n", "WIN10X64", 1, 3, 0},
  };
  for (const Case& c : cases) {
    Machine m(u"AppInstlPath=C:\\Share\n" + c.settings);
    m.platform.version = {kVersionRecordBytes, 6, 2, kPlatformWin32Nt};
    m.platform.true_version = {10, 0, 19045, kPlatformWin32Nt, kProductWorkstation};
    m.platform.wow64 = 1;
    EXPECT_EQ(c.exit_code, m.Run()) << c.os_type;
    EXPECT_EQ(c.starts, m.platform.CallsNamed("StartProcess").size()) << c.os_type;
    EXPECT_EQ(c.open_files, m.platform.open_append_files()) << c.os_type;
    m.context.RunLogStream.reset();  // process exit
    EXPECT_EQ(0u, m.Log().find(Opening(c.os_type))) << c.os_type;
    EXPECT_EQ(c.starts == 3,
              m.Log().find("\"0xPC42_WIN10X64\", Application => \"Tool\"") != std::string::npos);
  }
}

TEST(RunSequenceTest, ErrorEndingsCloseTheLogAtOnce) {
  struct Case {
    const char* name;
    WString settings;
    std::string last_line;
  };
  const Case cases[] = {
      {"no AppInstlPath", u"MaxInstallTime=5\n",
       "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\r\n"},
      {"no language table", u"AppInstlPath=C:\\DARezad\\AppInstl\n",
       "ERROR:: Error opening C:\\DARezad\\AppInstl\\LANG.INI file!\r\n"},
      {"doubled separator", u"AppInstlPath=c:\\nowhere\\\n",
       "ERROR:: Error opening c:\\nowhere\\\\LANG.INI file!\r\n"},
  };
  for (const Case& c : cases) {
    Machine m(c.settings);
    EXPECT_EQ(0, m.Run()) << c.name;
    EXPECT_EQ(Opening("WINXP") + c.last_line, m.Log()) << c.name;
    EXPECT_EQ(0, m.platform.open_append_files()) << c.name;
    EXPECT_TRUE(m.platform.CallsNamed("StartProcess").empty()) << c.name;
  }
}

TEST(RunSequenceTest, NoIdentifierEndsBeforeTheLog) {
  for (const char* id : {"", "  \t "}) {
    Machine m;
    m.platform.AddLibrary(u"ZYLNT.DLL", {true, id});
    EXPECT_EQ(0, m.Run());
    EXPECT_TRUE(m.platform.CallsNamed("OpenForAppend").empty());
    EXPECT_FALSE(m.platform.Exists(u"C:\\SYSTEM.SAV\\UTIL"));
  }
}

TEST(RunSequenceTest, RunWithoutALogInstallsTheSame) {
  Machine with_log;
  Machine without_log;
  without_log.platform.FailOn("OpenForAppend");
  EXPECT_EQ(with_log.Run(), without_log.Run());
  EXPECT_EQ(with_log.platform.CallsNamed("StartProcess"),
            without_log.platform.CallsNamed("StartProcess"));
  EXPECT_TRUE(without_log.platform.CallsNamed("Append").empty());
}

TEST(RunSequenceTest, VistaOnA32BitSystemAndTheCallOrder) {
  Machine m;
  m.platform.version = {kVersionRecordBytes, 6, 0, kPlatformWin32Nt};
  EXPECT_EQ(1, m.Run());
  EXPECT_NE(std::string::npos, m.Log().find("\"0xPC42_VISTA32\", Application => \"Reader\""));
  std::vector<std::string> order;
  for (const std::string& call : m.platform.calls()) {
    for (const char* step : {"LoadModule", "QueryVersion", "OpenForAppend", "UserDefaultLcid",
                             "StartProcess"}) {
      if (call.rfind(step, 0) == 0) order.push_back(step);
    }
  }
  const std::vector<std::string> expected = {"LoadModule",      "QueryVersion", "OpenForAppend",
                                             "UserDefaultLcid", "StartProcess", "StartProcess",
                                             "QueryVersion",    "StartProcess"};
  EXPECT_EQ(expected, order);
}

TEST(RunSequenceTest, MaxInstallTimeSetting) {
  struct Case {
    WString value;
    std::string timed_out;
  };
  const Case cases[] = {
      {u"", "300"}, {u"4", "4"}, {u"-5", "-5"}, {u"0x3C", "0"}, {u"abc", "0"},
  };
  for (const Case& c : cases) {
    Machine m(u"AppInstlPath=C:\\Share\nMaxInstallTime=" + c.value + u"\n");
    m.platform.AddProgram(u"C:\\Apps\\Reader\\12\\setup.exe /s", 1e9);
    m.Run();
    EXPECT_NE(std::string::npos,
              m.Log().find("RESULT   => Command did not finish in " + c.timed_out + " seconds."))
        << Narrow(c.value);
  }
}

TEST(InstallTimeTest, ReadsLikeTheRuntimesIntegerConversion) {
  struct Case {
    WString text;
    int32_t value;
  };
  const Case cases[] = {
      {u"60", 60},
      {u"60s", 60},
      {u"-5", -5},
      {u"+7", 7},
      {u"0x3C", 0},
      {u"abc", 0},
      {u"5 min", 5},
      {u"--5", 0},
      {u"- 5", 0},
      {u"\uff11\uff12", 12},
      {u"\u0661\u0660", 10},
      {u"\u0e53x", 3},
      {u"\u00b2", 0},
      {u"2147483647", 2147483647},
      {u"2147483648", 2147483647},
      {u"99999999999999999999", 2147483647},
      {u"-2147483648", -2147483647 - 1},
      {u"-99999999999", -2147483647 - 1},
  };
  FakePlatform platform;
  for (const Case& c : cases) EXPECT_EQ(c.value, ParseInstallTime(c.text, platform)) << Narrow(c.text);
}

}  // namespace
}  // namespace quill
