#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "log/log_record.h"
#include "log/run_log.h"
#include "log/time_stamp.h"

namespace quill {
namespace {

const std::string kStars(109, '*');
const std::string kBanner = kStars + "\r\nQUILLRUN starts at: 09:05:03 Sunday, December 06, 2026\r\n" +
                            kStars + "\r\n\r\n";

struct LogFixture {
  LogFixture() {
    platform.AddDirectory(u"C:\\SYSTEM.SAV");
    platform.AddIniFile(u"C:\\in.ini", u"[Settings]\n");
    context.InputIniPath = u"C:\\in.ini";
    context.SystemID = u"0xABC";
    context.OSType = u"WINXP";
  }
  std::string LogBytes() const { return platform.FileBytes(kDefaultLogPath); }
  FakePlatform platform;
  RunContext context;
};

TEST(RunLogTest, EveryRecordByteForByte) {
  LogFixture f;
  OpenRunLog(f.context, f.platform);
  ASSERT_EQ(1, f.context.LogOpen);
  WriteLogRecord(f.context, LogRecord::kMissingKeyError, {{u"AppInstlPath"}});
  WriteLogRecord(f.context, LogRecord::kFileOpenError, {{u"C:\\DARezad\\AppInstl\\LANG.INI"}});
  WriteLogRecord(f.context, LogRecord::kLocaleLanguage, {{u"0x409"}});
  WriteLogRecord(f.context, LogRecord::kCodeLanguage, {{u"US"}});
  WriteLogRecord(f.context, LogRecord::kProcessing, {{u"0xFFFF", u"Reader"}});
  WriteLogRecord(f.context, LogRecord::kLaunched, {{u"C:\\Apps\\Reader\\setup.exe /s %d %s"}});
  WriteStampedRecord(f.context, LogRecord::kStart, f.platform);
  f.platform.now_ms += 7000;
  WriteStampedRecord(f.context, LogRecord::kEnd, f.platform);
  WriteLogRecord(f.context, LogRecord::kResultFinished, {{}, 7});
  WriteLogRecord(f.context, LogRecord::kResultLaunchFailed);
  WriteLogRecord(f.context, LogRecord::kResultTimedOut, {{}, -5});
  CloseRunLog(f.context);

  const std::string expected =
      kBanner +
      "SystemID      => 0xABC\r\n"
      "OSType\t\t  => WINXP\r\n"
      "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\r\n"
      "ERROR:: Error opening C:\\DARezad\\AppInstl\\LANG.INI file!\r\n"
      "LCID          => 0x409\r\n"
      "Language Code => US\r\n\r\n"
      "Processing: SysID => \"0xFFFF\", Application => \"Reader\"\r\n"
      "LAUNCHED => \"C:\\Apps\\Reader\\setup.exe /s %d %s\"\r\n"
      "START:: 09:05:03 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:10 Sunday, December 06, 2026\r\n"
      "RESULT   => Command finished in less than 7 seconds.\r\n\r\n"
      "RESULT   => Failed to launch the command.\r\n\r\n"
      "RESULT   => Command did not finish in -5 seconds.\r\n\r\n";
  EXPECT_EQ(expected, f.LogBytes());
}

TEST(RunLogTest, EmptyValuesLeaveTheLabelAndLineEnd) {
  LogFixture f;
  f.context.OSType.clear();
  OpenRunLog(f.context, f.platform);
  WriteLogRecord(f.context, LogRecord::kCodeLanguage, {{u""}});
  CloseRunLog(f.context);
  EXPECT_EQ(kBanner + "SystemID      => 0xABC\r\nOSType\t\t  => \r\nLanguage Code => \r\n\r\n",
            f.LogBytes());
}

TEST(RunLogTest, PlacementFromLogFile) {
  struct Case {
    WString value;
    WString path;
  };
  const Case cases[] = {
      {u"", u"C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG"},
      {u"\\Logs\\Run.log", u"C:\\LOGS\\RUN.LOG"},
      {u"run.log", u"C:RUN.LOG"},
      {u"d:\\logs\\run.log", u"D:\\LOGS\\RUN.LOG"},
      {u"c:\\system.sav\\util\\sub\\run.log", u"C:\\SYSTEM.SAV\\UTIL\\SUB\\RUN.LOG"},
      {u"C:\\Logs\\caf\u00e9-\u00df.log", u"C:\\LOGS\\CAF\u00e9-\u00df.LOG"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.path, RunLogPath(c.value)) << Narrow(c.value);
}

TEST(RunLogTest, CreatesOnlyTheUtilDirectory) {
  struct Case {
    WString log_file;
    bool system_sav;
    bool util_created;
    bool opens;
    WString opened;
  };
  const Case cases[] = {
      {u"", true, true, true, u"C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG"},
      {u"", false, false, false, u""},
      {u"c:\\system.sav\\util\\sub\\run.log", true, true, false, u""},
      {u"\\Logs\\Run.log", true, false, false, u""},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    if (c.system_sav) platform.AddDirectory(u"C:\\SYSTEM.SAV");
    platform.AddIniFile(u"C:\\in.ini", u"[Settings]\nLogFile=" + c.log_file + u"\n");
    RunContext context;
    context.InputIniPath = u"C:\\in.ini";
    OpenRunLog(context, platform);
    EXPECT_EQ(c.opens ? 1 : 0, context.LogOpen) << Narrow(c.log_file);
    EXPECT_EQ(c.util_created, platform.Exists(u"C:\\SYSTEM.SAV\\UTIL")) << Narrow(c.log_file);
    EXPECT_FALSE(platform.Exists(u"C:\\SYSTEM.SAV\\UTIL\\SUB"));
    EXPECT_FALSE(platform.Exists(u"C:\\LOGS"));
    if (c.opens) {
      EXPECT_TRUE(platform.Exists(c.opened));
    }
  }
}

TEST(RunLogTest, ExistingUtilDirectoryIsNotCreatedAgain) {
  LogFixture f;
  f.platform.AddDirectory(u"C:\\SYSTEM.SAV\\UTIL");
  OpenRunLog(f.context, f.platform);
  EXPECT_TRUE(f.platform.CallsNamed("MakeDirectory").empty());
}

TEST(RunLogTest, AppendsAfterTheLastByteAndCutsOneTrailingCtrlZ) {
  struct Case {
    std::string before;
    std::string kept;
  };
  const Case cases[] = {
      {"earlier run\r\n", "earlier run\r\n"},
      {"earlier run\r\n\x1a", "earlier run\r\n"},
      {"earlier\x1a\x1a", "earlier\x1a"},
      {"\x1a in the middle", "\x1a in the middle"},
  };
  for (const Case& c : cases) {
    LogFixture f;
    f.platform.AddDirectory(u"C:\\SYSTEM.SAV\\UTIL");
    f.platform.AddFile(kDefaultLogPath, c.before);
    OpenRunLog(f.context, f.platform);
    CloseRunLog(f.context);
    EXPECT_EQ(c.kept + kBanner + "SystemID      => 0xABC\r\nOSType\t\t  => WINXP\r\n",
              f.LogBytes());
  }
}

TEST(RunLogTest, CharacterAboveLatin1BecomesOneQuestionMarkAndTheRecordGoesOn) {
  LogFixture f;
  OpenRunLog(f.context, f.platform);
  const WString cyrillic = u"\u041f\u0440\u043e";
  const WString emoji = u"a\U0001F600b";
  WriteLogRecord(f.context, LogRecord::kProcessing, {{u"0xFFFF", cyrillic + u"-\u00e9"}});
  WriteLogRecord(f.context, LogRecord::kLaunched, {{emoji}});
  CloseRunLog(f.context);
  const std::string tail =
      "Processing: SysID => \"0xFFFF\", Application => \"?" "?" "?-\xe9\"\r\n"
      "LAUNCHED => \"a?b\"\r\n";
  const std::string bytes = f.LogBytes();
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(tail, bytes.substr(bytes.size() - tail.size()));
}

TEST(RunLogTest, NothingIsWrittenWhileTheLogIsNotOpen) {
  FakePlatform platform;  // no C:\SYSTEM.SAV: the open fails
  platform.AddIniFile(u"C:\\in.ini", u"[Settings]\n");
  RunContext context;
  context.InputIniPath = u"C:\\in.ini";
  OpenRunLog(context, platform);
  EXPECT_EQ(0, context.LogOpen);
  WriteLogRecord(context, LogRecord::kLaunched, {{u"x"}});
  CloseRunLog(context);
  EXPECT_TRUE(platform.CallsNamed("Append").empty());
}

// As the runtime's text stream: the buffer fills with 4096 characters of
// text, each line feed one of them, and goes out with its line feeds as CR LF.
TEST(LogStreamTest, TheBufferFillsWithTextBeforeLineEndsAndGoesOutWhenFullAtCloseAndAtExit) {
  // The runtime's size, written here: a test worked out from our constant
  // would follow it wherever it went.
  constexpr size_t kRuntimeBuffer = 4096;
  LogFixture f;
  OpenRunLog(f.context, f.platform);
  EXPECT_EQ("", f.LogBytes()) << "the banner waits in the buffer";
  const std::string banner_and_identity = kBanner + "SystemID      => 0xABC\r\nOSType\t\t  => WINXP\r\n";
  const size_t line_feeds = std::count(banner_and_identity.begin(), banner_and_identity.end(), '\n');
  const size_t text = banner_and_identity.size() - line_feeds;
  const WString filler(kRuntimeBuffer - text - 15, u'x');  // 15 characters besides the value
  WriteLogRecord(f.context, LogRecord::kLaunched, {{filler}});
  EXPECT_EQ(kRuntimeBuffer + line_feeds + 1, f.LogBytes().size()) << "full with the record's end";
  EXPECT_EQ("\"\r\n", f.LogBytes().substr(f.LogBytes().size() - 3));
  WriteLogRecord(f.context, LogRecord::kLaunched, {{u"y"}});
  EXPECT_EQ(kRuntimeBuffer + line_feeds + 1, f.LogBytes().size());
  f.context.RunLogStream.reset();  // what process exit does to an unclosed log
  EXPECT_EQ(kRuntimeBuffer + line_feeds + 1 + 17, f.LogBytes().size());
  EXPECT_EQ(0, f.platform.open_append_files());
}

TEST(TimeStampTest, EnglishNamesAndTwoDigitFields) {
  struct Case {
    LocalTime local;
    const char16_t* time;
    const char16_t* date;
  };
  const Case cases[] = {
      {{2026, 12, 6, 0, 9, 5, 3}, u"09:05:03", u"Sunday, December 06, 2026"},
      {{2027, 1, 1, 5, 23, 59, 59}, u"23:59:59", u"Friday, January 01, 2027"},
      {{2008, 2, 29, 5, 0, 0, 0}, u"00:00:00", u"Friday, February 29, 2008"},
      {{2040, 7, 11, 3, 12, 30, 0}, u"12:30:00", u"Wednesday, July 11, 2040"},
  };
  for (const Case& c : cases) {
    const TimeStamp stamp = FormatTimeStamp(c.local);
    EXPECT_EQ(c.time, stamp.time);
    EXPECT_EQ(c.date, stamp.date);
  }
}

TEST(TimeStampTest, ClockPast2038StaysRightAndRefusedCountGivesSingleSpace) {
  LogFixture f;
  f.platform.now_ms = 2225000000000;  // 2040-07-04, beyond the 32-bit count
  OpenRunLog(f.context, f.platform);
  f.platform.now_ms = -1000;
  WriteStampedRecord(f.context, LogRecord::kStart, f.platform);
  CloseRunLog(f.context);
  const std::string bytes = f.LogBytes();
  EXPECT_NE(std::string::npos, bytes.find("QUILLRUN starts at: 07:33:20 Wednesday, July 04, 2040\r\n"));
  EXPECT_NE(std::string::npos, bytes.find("START::  \r\n"));
}

TEST(TimeStampTest, LocalTimeFollowsTheMachinesZone) {
  LogFixture f;
  f.platform.utc_offset_seconds = 15 * 3600;  // crosses into the next day
  OpenRunLog(f.context, f.platform);
  CloseRunLog(f.context);
  EXPECT_NE(std::string::npos,
            f.LogBytes().find("QUILLRUN starts at: 00:05:03 Monday, December 07, 2026\r\n"));
}

}  // namespace
}  // namespace quill
