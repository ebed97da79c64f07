// Command lines at and beyond the platform's limit. Each INI value stops at
// 259 characters, so only a long language code in place of many "%LANG%"
// makes a long line; a table cannot name one this long, the run context
// here does. One character past the limit is a failed launch with all five
// records, the launched one holding the whole line.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "log/run_log.h"
#include "runner/install_pass.h"

namespace quill {
namespace {

const char kStamp[] = "09:05:03 Sunday, December 06, 2026";

TEST(LongCommandLineTest, WholeUpToThePlatformLimitAndAFailedLaunchBeyond) {
  struct Case {
    size_t app_path_chars;
    size_t code_chars;
    bool launched;
  };
  // AppPath, a backslash, "x.exe " and forty codes.
  const Case cases[] = {
      {39, 818, true},    // 32,766 characters and the NUL: the limit
      {40, 818, false},   // one more
      {39, 1000, false},  // 40,046
  };
  for (const Case& c : cases) {
    const WString app_path = u"C:\\" + WString(c.app_path_chars - 3, u'A');
    const WString code(c.code_chars, u'L');
    WString switches = u"x.exe ";
    WString expanded = switches;
    for (int i = 0; i < 40; ++i) {
      switches += u"%LANG%";
      expanded += code;
    }
    const WString command = app_path + u"\\" + expanded;
    SCOPED_TRACE(std::to_string(command.size()) + " characters");

    FakePlatform platform;
    platform.AddDirectory(u"C:\\Logs");
    platform.AddDirectory(app_path + u"\\" + code);
    platform.AddProgram(command, 0);
    platform.AddIniFile(u"C:\\in.ini",
                        u"[Settings]\nLogFile=C:\\Logs\\r.log\n[0xFFFF]\nAPP1=A\n"
                        u"[A]\nAppPath=" +
                            app_path + u"\nAppSwitches=" + switches + u"\n");
    RunContext context;
    context.InputIniPath = u"C:\\in.ini";
    context.LanguageCode = code;
    OpenRunLog(context, platform);
    EXPECT_EQ(1, RunInstallPass(0, context, platform));
    CloseRunLog(context);

    const std::string records =
        "Processing: SysID => \"0xFFFF\", Application => \"A\"\r\n"
        "LAUNCHED => \"" +
        Narrow(command) +
        "\"\r\n"
        "START:: " +
        std::string(kStamp) + "\r\nEND  :: " +
        (c.launched
             ? "09:05:04 Sunday, December 06, 2026\r\n"
               "RESULT   => Command finished in less than 1 seconds.\r\n\r\n"
             : std::string(kStamp) + "\r\nRESULT   => Failed to launch the command.\r\n\r\n");
    const std::string log = platform.FileBytes(u"C:\\Logs\\r.log");
    const size_t at = log.find("Processing");
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(records, log.substr(at));
    EXPECT_EQ(c.launched ? 1u : 0u, platform.CallsNamed("StartProcess").size());
    EXPECT_EQ(c.launched, command.size() + 1 <= kMaxCommandLineChars);
  }
}

}  // namespace
}  // namespace quill
