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
  EXPECT_EQ(std::vector<std::string>{"LoadModule C:\\QUILLRUN\\ZYLNT.DLL"},
            platform.CallsNamed("LoadModule"));
  EXPECT_EQ(std::vector<std::string>{"FindExport zylGetMachineId"}, platform.CallsNamed("FindExport"));
}

// The library is asked for by full path, beside the running program and then
// under \SYSTEM.SAV\UTIL on the current drive; a library anywhere else (the
// current directory, which a bare name would search) is never found.
TEST(SystemIdTest, TheLibraryIsAskedForByFullPathInItsTwoPlacesOnly) {
  const WString fallback = u"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL";
  const WString deep = u"\\\\?\\C:\\" + WString(300, u'd') + u"\\";
  struct Case {
    const char* name;
    WString program;  // empty: the platform cannot give it
    WString current;
    WString library;  // where the one library lies
    std::vector<WString> asked;
    WString system_id;
  };
  const Case cases[] = {
      {"beside", u"C:\\QUILLRUN\\QUILLRUN.EXE", u"C:\\Work", u"C:\\QUILLRUN\\ZYLNT.DLL",
       {u"C:\\QUILLRUN\\ZYLNT.DLL"}, u"0xID"},
      {"blanks and accents", u"C:\\Program Files\\Quill \u00dcn\\QUILLRUN.EXE", u"C:\\Work",
       u"C:\\Program Files\\Quill \u00dcn\\ZYLNT.DLL",
       {u"C:\\Program Files\\Quill \u00dcn\\ZYLNT.DLL"}, u"0xID"},
      {"share", u"\\\\deploy\\share$\\QUILLRUN.EXE", u"C:\\Work", u"\\\\deploy\\share$\\ZYLNT.DLL",
       {u"\\\\deploy\\share$\\ZYLNT.DLL"}, u"0xID"},
      {"long path", deep + u"QUILLRUN.EXE", u"C:\\Work", deep + u"ZYLNT.DLL", {deep + u"ZYLNT.DLL"},
       u"0xID"},
      {"SYSTEM.SAV", u"C:\\QUILLRUN\\QUILLRUN.EXE", u"C:\\Work", u"C:\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL",
       {u"C:\\QUILLRUN\\ZYLNT.DLL", fallback}, u"0xID"},
      {"SYSTEM.SAV on D:", u"C:\\QUILLRUN\\QUILLRUN.EXE", u"D:\\Tools",
       u"D:\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL", {u"C:\\QUILLRUN\\ZYLNT.DLL", fallback}, u"0xID"},
      {"C: when on D:", u"C:\\QUILLRUN\\QUILLRUN.EXE", u"D:\\Tools",
       u"C:\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL", {u"C:\\QUILLRUN\\ZYLNT.DLL", fallback}, u""},
      {"program path unknown", u"", u"C:\\Work", u"C:\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL", {fallback},
       u"0xID"},
      {"program path without folder", u"QUILLRUN.EXE", u"C:\\QUILLRUN", u"C:\\QUILLRUN\\ZYLNT.DLL",
       {fallback}, u""},
      {"planted in the current directory", u"C:\\QUILLRUN\\QUILLRUN.EXE", u"C:\\Work",
       u"C:\\Work\\ZYLNT.DLL", {u"C:\\QUILLRUN\\ZYLNT.DLL", fallback}, u""},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.program_path = c.program;
    if (c.program.empty()) platform.FailOn("RunningProgramPath");
    platform.current_directory = c.current;
    platform.AddLibrary(c.library, {true, "ID"});
    RunContext context;
    EXPECT_EQ(c.system_id.empty() ? 0 : 1, GetSystemID(context, platform)) << c.name;
    EXPECT_EQ(c.system_id, context.SystemID) << c.name;
    std::vector<std::string> asked;
    for (const WString& path : c.asked) asked.push_back("LoadModule " + Narrow(path));
    EXPECT_EQ(asked, platform.CallsNamed("LoadModule")) << c.name;
  }
}

}  // namespace
}  // namespace quill
