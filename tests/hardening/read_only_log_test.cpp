// A log that cannot be opened for writing, as Windows treats a read-only
// file: the run goes on without a log, installs everything, and leaves the
// file as it was.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "run/entry.h"

namespace quill {
namespace {

TEST(ReadOnlyLogTest, RunInstallsEverythingAndLeavesTheLogAsItWas) {
  FakePlatform platform;
  platform.command_line = "QUILLRUN.EXE C:\\Share\\deploy.ini";
  platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
  platform.AddDirectory(u"C:\\Share");
  platform.AddFile(u"C:\\Share\\LANG.INI", "[12]\r\nLCID=0x409\r\n");
  platform.AddFile(u"C:\\Share\\RUN.LOG", "an earlier block\r\n", kFileAttributeReadOnly);
  platform.AddIniFile(u"C:\\Share\\deploy.ini",
                      u"[Settings]\nAppInstlPath=C:\\Share\nLogFile=C:\\Share\\RUN.LOG\n"
                      u"[0xFFFF]\nAPP1=A\n[0xPC42_WINXP]\nAPP1=A\n"
                      u"[A]\nAppPath=C:\\Apps\nAppSwitches=a.exe\n");
  platform.AddProgram(u"C:\\Apps\\a.exe", 0);
  RunContext context;

  EXPECT_EQ(1, RunFromCommandLine(context, platform));
  EXPECT_EQ(0, context.LogOpen);
  EXPECT_EQ(2u, platform.CallsNamed("StartProcess").size());
  EXPECT_TRUE(platform.CallsNamed("Append").empty());
  EXPECT_EQ("an earlier block\r\n", platform.FileBytes(u"C:\\Share\\RUN.LOG"));
  EXPECT_EQ(kFileAttributeReadOnly, platform.AttributesOf(u"C:\\Share\\RUN.LOG"));
}

}  // namespace
}  // namespace quill
