// Loading, asking and releasing the stand-in identity library, and COM
// around it, with the real loader.
#include <cstring>
#include <string>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

#include <objbase.h>  // after <windows.h>, which it needs

namespace quill::test {
namespace {

const char kVariable[] = "ZYLNT_MACHINE_ID";

class LibrariesTest : public ::testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableA(kVariable, nullptr); }

  // What the stand-in library leaves in a 260-byte buffer, with guard bytes
  // after it that it must not touch.
  std::string AskLibrary(const WString& path) {
    const LibraryHandle library = platform_.LoadModule(path);
    EXPECT_NE(library, 0u) << "cannot load the library";
    if (library == 0) return "<not loaded>";
    const ExportAddress entry = platform_.FindExport(library, "zylGetMachineId");
    EXPECT_NE(entry, 0u);
    char buffer[kMachineIdBufferBytes + 40];
    std::memset(buffer, 'G', sizeof buffer);
    if (entry != 0) platform_.CallMachineIdEntry(entry, buffer);
    platform_.ReleaseModule(library);
    for (size_t at = kMachineIdBufferBytes; at < sizeof buffer; ++at) {
      EXPECT_EQ(buffer[at], 'G') << "written past the buffer at " << at;
    }
    const void* end = std::memchr(buffer, '\0', kMachineIdBufferBytes);
    EXPECT_NE(end, nullptr) << "no NUL inside the buffer";
    return end == nullptr ? std::string() : std::string(buffer);
  }
  WString Library() const { return BuildDirectory() + u"\\ZYLNT.DLL"; }

  Win32Platform platform_;
};

TEST_F(LibrariesTest, TheIdentifierComesFromTheEnvironmentAndIsCutTo259Bytes) {
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {"LAB-0042", "LAB-0042"},
      {"  padded\t", "  padded\t"},
      {"0x1234", "0x1234"},
      {"\xC4rger", "\xC4rger"},
      {std::string(259, 'a'), std::string(259, 'a')},
      {std::string(300, 'b'), std::string(259, 'b')},
      {std::string(5000, 'c'), std::string(259, 'c')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.substr(0, 20));
    ASSERT_TRUE(SetEnvironmentVariableA(kVariable, c.value.c_str()));
    EXPECT_EQ(AskLibrary(Library()), c.expected);
  }
}

TEST_F(LibrariesTest, WithoutTheVariableTheFirmwareBoardNameIsTheIdentifier) {
  HKEY bios;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\BIOS", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &bios,
                            nullptr),
            ERROR_SUCCESS);
  char saved[1024] = {};
  DWORD saved_size = sizeof saved - 1;
  const bool had_value = RegQueryValueExA(bios, "BaseBoardProduct", nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(saved), &saved_size) ==
                         ERROR_SUCCESS;
  auto set = [&](const std::string& value) {
    return RegSetValueExA(bios, "BaseBoardProduct", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  };
  SetEnvironmentVariableA(kVariable, nullptr);

  ASSERT_TRUE(set("QUILL-BOARD-7"));
  EXPECT_EQ(AskLibrary(Library()), "QUILL-BOARD-7");
  ASSERT_TRUE(set(std::string(400, 'z')));
  EXPECT_EQ(AskLibrary(Library()), std::string(259, 'z'));

  SetEnvironmentVariableA(kVariable, "chosen");
  EXPECT_EQ(AskLibrary(Library()), "chosen") << "the variable comes first";

  if (had_value) {
    RegSetValueExA(bios, "BaseBoardProduct", 0, REG_SZ, reinterpret_cast<BYTE*>(saved),
                   saved_size);
  } else {
    RegDeleteValueA(bios, "BaseBoardProduct");
  }
  RegCloseKey(bios);
}

TEST_F(LibrariesTest, ALibraryWithoutTheEntryPointLoadsButHasNoExport) {
  const LibraryHandle library =
      platform_.LoadModule(BuildDirectory() + u"\\testlibs\\NOEXPORT\\ZYLNT.DLL");
  ASSERT_NE(library, 0u);
  EXPECT_EQ(platform_.FindExport(library, "zylGetMachineId"), 0u);
  EXPECT_NE(platform_.FindExport(library, "zylGetMachineName"), 0u);
  platform_.ReleaseModule(library);
}

TEST_F(LibrariesTest, ExportsAreFoundByTheirExactName) {
  const LibraryHandle library = platform_.LoadModule(Library());
  ASSERT_NE(library, 0u);
  EXPECT_NE(platform_.FindExport(library, "zylGetMachineId"), 0u);
  EXPECT_EQ(platform_.FindExport(library, "ZYLGETMACHINEID"), 0u);
  EXPECT_EQ(platform_.FindExport(library, "_zylGetMachineId"), 0u);
  EXPECT_EQ(platform_.FindExport(library, ""), 0u);
  platform_.ReleaseModule(library);
  EXPECT_EQ(platform_.FindExport(0, "zylGetMachineId"), 0u);
}

TEST_F(LibrariesTest, MissingLibrariesGiveNoHandle) {
  EXPECT_EQ(platform_.LoadModule(u"C:\\SYSTEM.SAV\\UTIL\\NO-SUCH-LIBRARY.DLL"), 0u);
  EXPECT_EQ(platform_.LoadModule(u"NO-SUCH-LIBRARY.DLL"), 0u);
}

TEST_F(LibrariesTest, ReleasingTheLibraryUnloadsIt) {
  const LibraryHandle library = platform_.LoadModule(Library());
  ASSERT_NE(library, 0u);
  EXPECT_NE(GetModuleHandleW(L"ZYLNT.DLL"), nullptr);
  platform_.ReleaseModule(library);
  EXPECT_EQ(GetModuleHandleW(L"ZYLNT.DLL"), nullptr);
}

// The path the library's folder is taken from: whole, however small the
// buffer it is first asked with (Windows XP cuts it there without a NUL).
TEST_F(LibrariesTest, TheRunningProgramsPathIsWholeFromAnyFirstBuffer) {
  const WString path = platform_.RunningProgramPath();
  EXPECT_EQ(path.rfind(BuildDirectory() + u"\\", 0), 0u) << "not this test program's folder";
  EXPECT_NE(GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())),
            INVALID_FILE_ATTRIBUTES);
  for (size_t first : {size_t{1}, size_t{7}, path.size(), path.size() + 1, size_t{40000}}) {
    EXPECT_EQ(Win32Platform::ModuleFileName(first), path) << "first buffer " << first;
  }
}

TEST_F(LibrariesTest, ComIsInitialisedForTheThreadUntilUninitialised) {
  platform_.InitializeCom();
  // A second initialisation on an initialised thread answers S_FALSE.
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  platform_.UninitializeCom();
  // Now the thread is back to no COM at all: a fresh start answers S_OK.
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

}  // namespace
}  // namespace quill::test
