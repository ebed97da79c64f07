#include <gtest/gtest.h>

#include "fake_platform.h"
#include "facts/system_id.h"

namespace quill {
namespace {

TEST(SystemIdTest, ResultsOfTheIdentityLibrary) {
  struct Case {
    const char* name;
    bool in_program_dir;
    bool on_drive;
    FakePlatform::FakeLibrary library;
    int result;
    WString system_id;
  };
  const Case cases[] = {
      {"no library", false, false, {}, 0, u""},
      {"beside the program", true, false, {true, "ABC123"}, 1, u"0xABC123"},
      {"under SYSTEM.SAV", false, true, {true, "ABC123"}, 1, u"0xABC123"},
      {"blanks around", true, false, {true, " \t ABC 123 \r\n"}, 1, u"0xABC 123"},
      {"own 0x", true, false, {true, "0x4F2A"}, 1, u"0x0x4F2A"},
      {"lower case kept", true, false, {true, "abc"}, 1, u"0xabc"},
      {"blanks only", true, false, {true, " \t "}, 0, u""},
      {"empty", true, false, {true, ""}, 0, u""},
      {"no entry point", true, false, {false, "ABC"}, 1, u""},
      {"ANSI text", true, false, {true, "Caf\xe9"}, 1, u"0xCaf\u00e9"},
      {"overlong", true, false, {true, std::string(400, 'x')}, 1, u"0x" + WString(259, u'x')},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    if (c.in_program_dir) platform.AddLibrary(u"ZYLNT.DLL", c.library);
    if (c.on_drive) platform.AddLibrary(u"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL", c.library);
    RunContext context;
    EXPECT_EQ(c.result, GetSystemID(context, platform)) << c.name;
    EXPECT_EQ(c.system_id, context.SystemID) << c.name;
    EXPECT_EQ(0, platform.com_depth()) << c.name;
    EXPECT_EQ(0, platform.loaded_libraries()) << c.name;
    EXPECT_EQ("UninitializeCom", platform.calls().back()) << c.name;
    EXPECT_EQ("InitializeCom", platform.calls().front()) << c.name;
  }
}

TEST(SystemIdTest, LibraryBesideTheProgramWinsAndTheSecondIsNotLoaded) {
  FakePlatform platform;
  platform.AddLibrary(u"ZYLNT.DLL", {true, "FIRST"});
  platform.AddLibrary(u"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL", {true, "SECOND"});
  RunContext context;
  GetSystemID(context, platform);
  EXPECT_EQ(u"0xFIRST", context.SystemID);
  EXPECT_EQ(std::vector<std::string>{"LoadModule ZYLNT.DLL"}, platform.CallsNamed("LoadModule"));
  EXPECT_EQ(std::vector<std::string>{"FindExport zylGetMachineId"}, platform.CallsNamed("FindExport"));
}

}  // namespace
}  // namespace quill
