// The registry values a restart leaves, the stamp that tells an edited file,
// the path made whole, the boot time and where a file lies, through the
// real API.
#include <aclapi.h>

#include <string>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

const WString kKey = u"Software\\QuillrunPlatformTest";

class MachineRegistryTest : public ScratchTest {
 protected:
  void TearDown() override {
    platform_.DeleteMachineValue(kKey, u"Value");
    ScratchTest::TearDown();
  }
  Win32Platform platform_;
};

TEST_F(MachineRegistryTest, AValueIsWrittenReadBackAndDeletedOnce) {
  WString read;
  EXPECT_FALSE(platform_.ReadMachineValue(kKey, u"Value", &read)) << "nothing there yet";
  EXPECT_TRUE(platform_.DeleteMachineValue(kKey, u"Value")) << "gone, though never there";
  const WString command = u"\"C:\\Program Files\\QUILLRUN.EXE\" C:\\Deploy dir\\deploy.ini";
  ASSERT_TRUE(platform_.WriteMachineValue(kKey, u"Value", command));
  ASSERT_TRUE(platform_.ReadMachineValue(kKey, u"VALUE", &read)) << "names without case";
  EXPECT_EQ(Wide(command), Wide(read));
  ASSERT_TRUE(platform_.WriteMachineValue(kKey, u"Value", u"1;2"));
  ASSERT_TRUE(platform_.ReadMachineValue(kKey, u"Value", &read));
  EXPECT_EQ(L"1;2", Wide(read)) << "written over whole";
  // Another type is there all the same, and reads as no text.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\QuillrunPlatformTest", 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
  const wchar_t expand[] = L"1;1;0;1;1;0;0;%SystemRoot%\\deploy.ini";
  RegSetValueExW(key, L"Value", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                 sizeof expand);
  RegCloseKey(key);
  ASSERT_TRUE(platform_.ReadMachineValue(kKey, u"Value", &read));
  EXPECT_EQ(L"", Wide(read));
  EXPECT_TRUE(platform_.DeleteMachineValue(kKey, u"Value"));
  EXPECT_FALSE(platform_.ReadMachineValue(kKey, u"Value", &read));
}

TEST_F(MachineRegistryTest, AStampTellsAnEditAndAPathIsMadeWhole) {
  ASSERT_TRUE(WriteBytes(At(u"deploy.ini"), "[Settings]\r\n"));
  FileStamp first, same, edited;
  ASSERT_TRUE(platform_.ReadFileStamp(At(u"deploy.ini"), &first));
  ASSERT_TRUE(platform_.ReadFileStamp(At(u"DEPLOY.INI"), &same));
  EXPECT_TRUE(first == same);
  EXPECT_EQ(12u, first.size);
  ASSERT_TRUE(WriteBytes(At(u"deploy.ini"), "[Settings]\r\nMaxRestarts=1\r\n"));
  ASSERT_TRUE(platform_.ReadFileStamp(At(u"deploy.ini"), &edited));
  EXPECT_FALSE(first == edited);
  EXPECT_FALSE(platform_.ReadFileStamp(At(u"missing.ini"), &edited));
  EXPECT_EQ(Wide(At(u"deploy.ini")), Wide(platform_.FullPath(At(u"sub\\..\\deploy.ini"))));
}

// Wine gives its server's start: before now, and the same for every call.
TEST_F(MachineRegistryTest, TheBootTimeAndWhereAFileLies) {
  int64_t boot = 0, again = 0;
  ASSERT_TRUE(platform_.ReadBootTime(&boot));
  ASSERT_TRUE(platform_.ReadBootTime(&again));
  EXPECT_EQ(boot, again);
  EXPECT_LE(boot, platform_.Now());
  EXPECT_GT(boot, platform_.Now() - 86400 * 365);

  ASSERT_TRUE(CreateDirectoryW(Wide(At(u"open")).c_str(), nullptr));
  // Everyone may change what lies in the folder.
  wchar_t everyone[] = L"Everyone";
  EXPLICIT_ACCESSW access = {};
  access.grfAccessPermissions = GENERIC_ALL;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  access.Trustee.ptstrName = everyone;
  PACL acl = nullptr;
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetEntriesInAclW(1, &access, nullptr, &acl));
  std::wstring open = Wide(At(u"open"));
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
            SetNamedSecurityInfoW(&open[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, acl, nullptr));
  LocalFree(acl);
  struct Case {
    WString path;
    bool on_share, users_may_write;
  };
  const Case cases[] = {{At(u"deploy.ini"), false, false},
                        {At(u"open\\deploy.ini"), false, true},
                        {u"\\\\srv\\share\\deploy.ini", true, false}};
  for (const Case& c : cases) {
    FilePlace place;
    ASSERT_TRUE(platform_.LocateFile(c.path, &place)) << Wide(c.path);
    EXPECT_EQ(Wide(c.path), Wide(place.universal));
    EXPECT_EQ(c.on_share, place.on_share) << Wide(c.path);
    EXPECT_EQ(c.users_may_write, place.users_may_write) << Wide(c.path);
  }
}

}  // namespace
}  // namespace quill::test
