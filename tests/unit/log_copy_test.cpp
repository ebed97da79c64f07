#include "runner/log_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "run/entry.h"

namespace quill {
namespace {

const WString kLocalLog = u"C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG";
const WString kShareCopy = u"\\\\server\\logs\\PC42.LOG";

// A PC of one installer whose log goes to the fleet's folder.
struct CopyingPc {
  explicit CopyingPc(const WString& settings, uint32_t code = 0, bool folder = true) {
    platform.command_line = "QUILLRUN.EXE C:\\Share\\deploy.ini";
    platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
    platform.AddDirectory(u"C:\\SYSTEM.SAV");
    platform.AddDirectory(u"C:\\Share");
    if (folder) platform.AddDirectory(u"\\\\server\\logs");
    platform.AddFile(u"C:\\Share\\LANG.INI", "[12]\r\nLCID=0x409\r\n");
    platform.AddProgram(u"C:\\Apps\\a.exe", 0.2, code);
    platform.environment["COMPUTERNAME"] = "PC42";
    platform.AddIniFile(u"C:\\Share\\deploy.ini", u"[Settings]\n" + settings +
                                                      u"[0xFFFF]\nAPP1=A\n[A]\n"
                                                      u"AppPath=C:\\Apps\nAppSwitches=a.exe\n");
  }
  int Run() {
    RunContext context;
    return RunFromCommandLine(context, platform);
  }
  size_t Index(const std::string& operation) const {
    const std::vector<std::string>& calls = platform.calls();
    return std::find_if(calls.begin(), calls.end(),
                        [&](const std::string& call) { return call.rfind(operation, 0) == 0; }) -
           calls.begin();
  }
  FakePlatform platform;
};

const WString kCopyingSettings =
    u"AppInstlPath=C:\\Share\nLogCopy=\\\\server\\logs\\%COMPUTERNAME%.LOG\n";

// Every end of a run leaves the whole log in the copy, and only there.
TEST(LogCopyTest, EveryEndOfARunLeavesTheWholeLog) {
  struct Case {
    const char* what;
    WString settings;
    uint32_t major, minor, code;
    int exit_code;
  };
  const std::vector<Case> cases = {
      {"both passes", kCopyingSettings, 5, 1, 0, 1},
      {"an error record", u"LogCopy=\\\\server\\logs\\%COMPUTERNAME%.LOG\n", 5, 1, 0, 0},
      {"a Windows not named", kCopyingSettings, 6, 1, 0, 0},
      {"a stop for a restart", kCopyingSettings + u"LogExitCodes=1\nMaxRestarts=1\n", 5, 1, 3010,
       0},
      {"reboot started", kCopyingSettings + u"LogExitCodes=1\n", 5, 1, 1641, 0},
  };
  for (const Case& c : cases) {
    CopyingPc pc(c.settings, c.code);
    pc.platform.version = {kVersionRecordBytes, c.major, c.minor, kPlatformWin32Nt};
    EXPECT_EQ(c.exit_code, pc.Run()) << c.what;
    const std::string log = pc.platform.FileBytes(kLocalLog);
    EXPECT_EQ(log, pc.platform.FileBytes(kShareCopy)) << c.what;
    EXPECT_EQ(std::string::npos, log.find("LOG COPY")) << c.what;
    EXPECT_FALSE(pc.platform.Exists(kShareCopy + kLogCopyPartSuffix)) << c.what;
    ASSERT_EQ(1u, pc.platform.CallsNamed("CopyWhole").size()) << c.what;
    EXPECT_EQ("CopyWhole " + Narrow(kLocalLog) + " " + Narrow(kShareCopy) + ".quillrun-copy " +
                  Narrow(kShareCopy) + " 60000",
              pc.platform.CallsNamed("CopyWhole")[0])
        << c.what;
    EXPECT_LT(pc.Index("Close " + Narrow(kLocalLog)), pc.Index("CopyWhole")) << c.what;
    EXPECT_LT(pc.Index("CopyWhole"), pc.Index("RequestRestart")) << c.what;
  }
}

// A copy that cannot be made is told once in the local log, and the next
// run's copy holds that record too; a value that must not be used copies
// nothing; without the key nothing is asked.
TEST(LogCopyTest, AFailedCopyIsToldAndTheNextRunCopiesAgain) {
  struct Case {
    const char* what;
    WString settings;
    CopyFailure failure;
    bool folder;
    std::string told;  // in the first run's block
  };
  const std::string not_written = "LOG COPY  => \\\\server\\logs\\PC42.LOG was not written: ";
  const std::string again = "; the next run copies the whole log again.\r\n\r\n";
  const std::vector<Case> cases = {
      {"no folder", kCopyingSettings, CopyFailure::kNone, false,
       not_written + "the folder cannot be found" + again},
      {"no answer", kCopyingSettings, CopyFailure::kTimedOut, true,
       not_written + "no answer within 60 seconds" + again},
      {"denied", kCopyingSettings, CopyFailure::kAccessDenied, true,
       not_written + "access is denied" + again},
      {"unset", u"AppInstlPath=C:\\Share\nLogCopy=\\\\server\\logs\\%SITE%\\%COMPUTERNAME%.LOG\n",
       CopyFailure::kNone, true,
       "LOG COPY  => LogCopy=\\\\server\\logs\\%SITE%\\%COMPUTERNAME%.LOG is not used: %SITE% is "
       "not set.\r\n"},
      {"relative", u"AppInstlPath=C:\\Share\nLogCopy=logs\\%COMPUTERNAME%.LOG\n",
       CopyFailure::kNone, true,
       "LOG COPY  => LogCopy=logs\\%COMPUTERNAME%.LOG is not used: it is not the full path of a "
       "file.\r\n"},
      {"a folder", u"AppInstlPath=C:\\Share\nLogCopy=\\\\server\\logs\\\n", CopyFailure::kNone,
       true,
       "LOG COPY  => LogCopy=\\\\server\\logs\\ is not used: it is not the full path of a "
       "file.\r\n"},
      {"no key", u"AppInstlPath=C:\\Share\n", CopyFailure::kNone, true, ""},
  };
  for (const Case& c : cases) {
    CopyingPc pc(c.settings, 0, c.folder);
    pc.platform.copy_failure = c.failure;
    EXPECT_EQ(1, pc.Run()) << c.what;
    const std::string first = pc.platform.FileBytes(kLocalLog);
    const size_t told = first.find("LOG COPY");
    EXPECT_EQ(c.told, told == std::string::npos ? "" : first.substr(told, c.told.size())) << c.what;
    const bool copies = c.told.rfind(not_written, 0) == 0;
    EXPECT_EQ(copies ? 1u : 0u, pc.platform.CallsNamed("CopyWhole").size()) << c.what;
    if (!copies) {
      EXPECT_FALSE(pc.platform.Exists(kShareCopy)) << c.what;
      continue;
    }
    // The told record ends the block; the next run copies both blocks.
    EXPECT_EQ(first.size(), told + c.told.size()) << c.what;
    pc.platform.copy_failure = CopyFailure::kNone;
    pc.platform.AddDirectory(u"\\\\server\\logs");
    EXPECT_EQ(1, pc.Run()) << c.what;
    EXPECT_EQ(pc.platform.FileBytes(kLocalLog), pc.platform.FileBytes(kShareCopy)) << c.what;
    EXPECT_EQ(0u, pc.platform.FileBytes(kShareCopy).find(first)) << c.what;
  }
}

}  // namespace
}  // namespace quill
