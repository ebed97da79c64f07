#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "one_app_run.h"
#include "runner/exit_codes.h"

namespace quill {
namespace {

TEST(ExitCodesTest, ListsReadAsUnsigned32BitDecimalOrHex) {
  struct Case {
    WString text;
    bool reads;
    std::vector<uint32_t> codes;
  };
  const Case cases[] = {
      {u"0", true, {0}},
      {u" 0 , 3010,0x643", true, {0, 3010, 1603}},
      {u"0xC0000005,0X1f", true, {0xC0000005, 31}},
      {u"4294967295", true, {0xFFFFFFFF}},
      {u"-1073741819", true, {0xC0000005}},
      {u"-2147483648", true, {0x80000000}},
      {u"4294967296", false, {}},
      {u"0x100000000", false, {}},
      {u"-2147483649", false, {}},
      {u"abc", false, {}},
      {u"1a", false, {}},
      {u"0,,1", false, {}},
      {u"1,", false, {}},
      {u"0x", false, {}},
      {u"12 34", false, {}},
      {u"", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> codes = {7};
    EXPECT_EQ(c.reads, ParseExitCodes(c.text, &codes)) << Narrow(c.text);
    EXPECT_EQ(c.reads ? c.codes : std::vector<uint32_t>{7}, codes) << Narrow(c.text);
  }
}

TEST(ExitCodesTest, JudgedByTheListOrTheDefaults) {
  const std::vector<uint32_t> listed = {0, 3010};
  struct Case {
    uint32_t code;
    ExitVerdict by_default;
    ExitVerdict by_list;
  };
  const Case cases[] = {
      {0, ExitVerdict::kSuccess, ExitVerdict::kSuccess},
      {1707, ExitVerdict::kSuccess, ExitVerdict::kFailure},
      {3010, ExitVerdict::kRebootRequired, ExitVerdict::kRebootRequired},
      {1641, ExitVerdict::kRebootStarted, ExitVerdict::kFailure},
      {1603, ExitVerdict::kFailure, ExitVerdict::kFailure},
      {0xC0000005, ExitVerdict::kFailure, ExitVerdict::kFailure},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.by_default, JudgeExitCode(c.code, DefaultSuccessCodes())) << c.code;
    EXPECT_EQ(c.by_list, JudgeExitCode(c.code, listed)) << c.code;
  }
}

// One application, C:\A\a.exe, with the keys given.
struct ExitRun : OneAppRun {
  ExitRun(const WString& settings, const WString& app_keys)
      : OneAppRun(u"C:\\in.ini", settings, u"AppPath=C:\\A\nAppSwitches=a.exe\n" + app_keys) {}
};

std::string OneTry(const std::string& after_result) {
  return "Processing: SysID => \"0xFFFF\", Application => \"A\"\r\n"
         "LAUNCHED => \"C:\\A\\a.exe\"\r\n"
         "START:: 09:05:03 Sunday, December 06, 2026\r\n"
         "END  :: 09:05:04 Sunday, December 06, 2026\r\n"
         "RESULT   => Command finished in less than 1 seconds.\r\n\r\n" + after_result;
}

std::vector<std::string> BusyThen(size_t busy, const std::string& last) {
  std::vector<std::string> verdicts(busy, "busy, tried again");
  verdicts.push_back(last);
  return verdicts;
}

TEST(ExitRecordTest, RecordedAndJudgedOnlyWhenAskedFor) {
  struct Case {
    WString settings;
    WString app_keys;
    uint32_t code;
    std::string after_result;
  };
  const Case cases[] = {
      {u"", u"", 1603, ""},
      {u"LogExitCodes=0\n", u"SuccessCodes=0\n", 1603, ""},
      {u"LogExitCodes=1\n", u"", 0, "EXIT CODE => 0, success.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"", 3010, "EXIT CODE => 3010, success, reboot required.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"", 1641,
       "EXIT CODE => 1641, success, reboot started.\r\n\r\n"
       "RESTART   => Windows is restarting: the run ends here, and no installer after this one "
       "is started.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"", 1603, "EXIT CODE => 1603, failure.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"", 0xC0000005, "EXIT CODE => 3221225477, failure.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"SuccessCodes=0x643\n", 1603, "EXIT CODE => 1603, success.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"SuccessCodes=0, nine\n", 1707,
       "EXIT CODES   => SuccessCodes=0, nine in [A] does not read: the defaults are used.\r\n"
       "EXIT CODE => 1707, success.\r\n\r\n"},
      {u"LogExitCodes=1\n", u"", 1618, "EXIT CODE => 1618, failure.\r\n\r\n"},
  };
  for (const Case& c : cases) {
    ExitRun run(c.settings, c.app_keys);
    run.platform.AddProgram(u"C:\\A\\a.exe", 0.5, c.code);
    EXPECT_EQ(OneTry(c.after_result), run.Records()) << Narrow(c.settings + c.app_keys) << c.code;
    // Committed after the installer's last record: one that restarts the PC
    // itself cannot take them with it.
    EXPECT_EQ(c.settings == u"LogExitCodes=1\n", run.committed_last)
        << Narrow(c.settings) << c.code;
  }
}

TEST(ExitRecordTest, NoExitRecordWithoutAnEndedProcess) {
  ExitRun run(u"LogExitCodes=1\nMaxInstallTime=5\n", u"SuccessCodes=zz\n");
  const std::string records = run.Records();  // a.exe cannot start
  EXPECT_NE(std::string::npos, records.find("Failed to launch the command."));
  EXPECT_EQ(std::string::npos, records.find("EXIT CODE =>"));
  // The list that does not read is told all the same, as lint says.
  EXPECT_NE(std::string::npos,
            records.find("EXIT CODES   => SuccessCodes=zz in [A] does not read"));
  EXPECT_TRUE(run.committed_last);
}

TEST(ExitRecordTest, BusyCodesAreTriedAgainWithinTheirBound) {
  struct Case {
    WString settings;
    std::vector<uint32_t> codes;
    std::vector<std::string> verdicts;  // one per try
    std::string told;                   // a setting that did not read, or was clamped: once
    uint32_t pause_ms = 5000;
    WString app_keys = u"";
  };
  const Case cases[] = {
      {u"BusyRetries=2\nBusyRetryPause=5\n",
       {1618, 1618, 0},
       {"busy, tried again", "busy, tried again", "success"},
       ""},
      {u"BusyRetries=1\nBusyRetryPause=5\n", {1618, 1618, 0}, {"busy, tried again", "failure"}, ""},
      {u"BusyRetries=1\nBusyRetryPause=5\nBusyCodes=1618,0x652\n",
       {1618, 1618, 0},
       {"busy, tried again", "failure"},
       ""},
      {u"BusyRetries=3\nBusyRetryPause=5\nBusyCodes=1\n",
       {1, 3010},
       {"busy, tried again", "success, reboot required"},
       ""},
      {u"BusyRetries=99\nBusyRetryPause=5\n", std::vector<uint32_t>(20, 1618),
       BusyThen(10, "failure"),
       "EXIT CODES   => BusyRetries=99 in [Settings] is past its bound: 10 is used.\r\n"},
      {u"BusyRetries=10\nBusyRetryPause=5\n", std::vector<uint32_t>(20, 1618),
       BusyThen(10, "failure"), ""},
      {u"BusyRetries=1\n", {1618, 0}, {"busy, tried again", "success"}, "", 60000},
      {u"BusyRetries=1\nBusyRetryPause=99999\n",
       {1618, 0},
       {"busy, tried again", "success"},
       "EXIT CODES   => BusyRetryPause=99999 in [Settings] is past its bound: 3600 is used.\r\n",
       3600000},
      {u"BusyRetries=1\nBusyRetryPause=3600\n",
       {1618, 0},
       {"busy, tried again", "success"},
       "",
       3600000},
      {u"BusyRetries=2\nBusyRetryPause=5\n",
       {1618, 1618, 0},
       BusyThen(2, "success"),
       "EXIT CODES   => SuccessCodes=zz in [A] does not read: the defaults are used.\r\n",
       5000,
       u"SuccessCodes=zz\n"},
      {u"BusyRetries=two\nBusyRetryPause=5\n",
       {1618, 0},
       {"failure"},
       "EXIT CODES   => BusyRetries=two in [Settings] does not read: the defaults are used.\r\n"},
      {u"BusyRetries=1\nBusyRetryPause=5\nBusyCodes=busy\n",
       {1618, 0},
       {"busy, tried again", "success"},
       "EXIT CODES   => BusyCodes=busy in [Settings] does not read: the defaults are used.\r\n"},
  };
  for (const Case& c : cases) {
    ExitRun run(u"LogExitCodes=1\n" + c.settings, c.app_keys);
    run.platform.AddProgramTries(u"C:\\A\\a.exe", 0.5, c.codes);
    const std::string records = run.Records();
    const std::string label = Narrow(c.settings);
    EXPECT_NE(std::string::npos, records.find(c.told)) << label;
    size_t told = 0;
    for (size_t at = 0; (at = records.find("EXIT CODES   => ", at)) != std::string::npos; ++at)
      ++told;
    EXPECT_EQ(c.told.empty() ? 0u : 1u, told) << label;
    size_t tries = 0, at = 0;
    for (; (at = records.find("EXIT CODE => ", at)) != std::string::npos; ++tries, ++at) {
      const size_t comma = records.find(", ", at);
      ASSERT_LT(tries, c.verdicts.size()) << label;
      EXPECT_EQ(c.verdicts[tries] + ".", records.substr(comma + 2, records.find("\r\n", at) - comma - 2))
          << label << " try " << tries + 1;
    }
    EXPECT_EQ(c.verdicts.size(), tries) << label;
    EXPECT_EQ(c.verdicts.size(), run.platform.CallsNamed("StartProcess").size()) << label;
    // Every try has its five records; the pauses between tries are the ones asked for.
    size_t processing = 0;
    for (at = 0; (at = records.find("Processing:", at)) != std::string::npos; ++at) ++processing;
    EXPECT_EQ(c.verdicts.size(), processing) << label;
    const auto pauses = run.platform.CallsNamed("Pause");
    EXPECT_EQ(c.verdicts.size() - 1,
              static_cast<size_t>(
                  std::count(pauses.begin(), pauses.end(), "Pause " + std::to_string(c.pause_ms))))
        << label;
  }
}

}  // namespace
}  // namespace quill
