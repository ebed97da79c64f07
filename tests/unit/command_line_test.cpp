#include <gtest/gtest.h>

#include "fake_platform.h"
#include "run/command_line.h"
#include "run/entry.h"
#include "run/usage.h"

namespace quill {
namespace {

TEST(CommandTailTest, CutsAfterTheProgramNameAndSkipsControlBytes) {
  struct Case {
    std::string line;
    std::string tail;
  };
  const Case cases[] = {
      {"QUILLRUN.EXE C:\\a.ini", "C:\\a.ini"},
      {"QUILLRUN.EXE", ""},
      {"QUILLRUN.EXE   \t  x y ", "x y "},
      {"\"C:\\Program Files\\Q\\QUILLRUN.EXE\" \"C:\\a b.ini\"", "\"C:\\a b.ini\""},
      {"\"C:\\unclosed name x.ini", ""},
      {"\"\"x.ini", "x.ini"},
      {"prog\x01\x02\x1f  rest", "rest"},
      {"prog\x7fname tail", "tail"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tail, CutCommandTail(c.line)) << c.line;
}

struct ResolveCase {
  WString current;
  WString argument;
  WString base_drive;
  WString input_path;
};

TEST(ResolveInputIniTest, PutsTheCurrentDriveInFrontOfAnArgumentWithoutColon) {
  const ResolveCase cases[] = {
      {u"D:\\Tools", u"\\Test\\x.ini", u"D:", u"D:\\Test\\x.ini"},
      {u"C:\\Work", u"x.ini", u"C:", u"C:x.ini"},
      {u"C:\\Work", u"E:\\y.ini", u"C:", u"E:\\y.ini"},
      {u"\\\\server\\share", u"x.ini", u"", u"x.ini"},
      {u"C:\\Work", u"\\\\srv\\d\\x.ini", u"C:", u"\\\\srv\\d\\x.ini"},
      {u"C:\\Work", u"\"C:\\q.ini\"", u"C:", u"\"C:\\q.ini\""},
  };
  for (const ResolveCase& c : cases) {
    FakePlatform platform;
    platform.current_directory = c.current;
    RunContext context;
    ResolveInputIni(c.argument, context, platform);
    EXPECT_EQ(c.base_drive, context.BaseDrive) << Narrow(c.argument);
    EXPECT_EQ(c.input_path, context.InputIniPath) << Narrow(c.argument);
  }
}

TEST(ResolveInputIniTest, ExistenceDecidesAndADirectoryPasses) {
  FakePlatform platform;
  platform.AddFile(u"C:\\Work\\x.ini", "");
  platform.AddDirectory(u"C:\\Dir");
  RunContext context;
  EXPECT_EQ(1, ResolveInputIni(u"C:\\Work\\x.ini", context, platform));
  EXPECT_EQ(1, ResolveInputIni(u"C:\\Dir", context, platform));
  EXPECT_EQ(0, ResolveInputIni(u"C:\\Work\\missing.ini", context, platform));
}

TEST(ResolveInputIniTest, UnreadableCurrentDirectoryGivesEmptyBaseDrive) {
  FakePlatform platform;
  platform.FailOn("CurrentDirectory");
  platform.AddFile(u"rel.ini", "");
  RunContext context;
  EXPECT_EQ(1, ResolveInputIni(u"rel.ini", context, platform));
  EXPECT_EQ(u"", context.BaseDrive);
  EXPECT_EQ(u"rel.ini", context.InputIniPath);
}

TEST(EntryTest, EmptyOrBlankTailEndsWithoutAnything) {
  for (const char* line : {"QUILLRUN.EXE", "QUILLRUN.EXE    ", "QUILLRUN.EXE \t \xa0"}) {
    FakePlatform platform;
    platform.command_line = line;
    RunContext context;
    EXPECT_EQ(0, RunFromCommandLine(context, platform));
    EXPECT_TRUE(platform.message_boxes().empty());
    EXPECT_TRUE(platform.CallsNamed("GetAttributes").empty());
  }
}

// What a person reads in the box, as the program's users were given it: one
// character wrong, a piece left out, a separator or a line end of two
// characters between the pieces, and it differs.
const char16_t kUsageAsGiven[] =
    u"Version 1.04:\n\n"
    u"USAGE::  QUILLRUN.EXE <Full PathName of the Input INI File>\n"
    u"                  ( e.g. QUILLRUN.EXE \\Test\\QuillRun.INI )\n\n"
    u"  *Note:\n"
    u"        - \"\\DARezad\\AppInstl\\Lang.ini\" must exist.\n"
    u"        - ZYLNT.DLL must exist and be kept at the same place with QUILLRUN.EXE.\n"
    u"          OR, \"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL\" must exist.";

TEST(EntryTest, UsageRequestShowsTheBoxOnce) {
  for (const char* line : {"Q.EXE /?", "Q.EXE ?", "Q.EXE   /?  "}) {
    FakePlatform platform;
    platform.command_line = line;
    RunContext context;
    EXPECT_EQ(0, RunFromCommandLine(context, platform));
    ASSERT_EQ(1u, platform.message_boxes().size()) << line;
    EXPECT_EQ(WString(kUsageAsGiven), platform.message_boxes()[0].text);
    EXPECT_EQ(u"Quillrunner Installer Utility", platform.message_boxes()[0].caption);
    EXPECT_EQ(kMbOk, platform.message_boxes()[0].style);
    EXPECT_TRUE(platform.CallsNamed("GetAttributes").empty());
  }
}

TEST(EntryTest, MissingInputFileEndsSilently) {
  FakePlatform platform;
  platform.command_line = "QUILLRUN.EXE \\Test\\missing.ini";
  RunContext context;
  EXPECT_EQ(0, RunFromCommandLine(context, platform));
  EXPECT_EQ(std::vector<std::string>{"GetAttributes C:\\Test\\missing.ini"},
            platform.CallsNamed("GetAttributes"));
  EXPECT_TRUE(platform.CallsNamed("LoadModule").empty());
}

}  // namespace
}  // namespace quill
