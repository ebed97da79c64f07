// INI values as GetPrivateProfileStringW gives them: the properties the run
// relies on, read through the real reader.
#include <string>

#include "base/profile_value.h"
#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

class ProfileReaderTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ini_ = At(u"input.ini");
    ASSERT_TRUE(WriteBytes(ini_,
                           "[Settings]\r\n"
                           "LogFile=C:\\Logs\\run.log\r\n"
                           "Blank=   \t  \r\n"
                           "Padded=  a b  \r\n"
                           "Long=" + std::string(300, 'x') + "\r\n"
                           "Empty=\r\n"
                           "[0xFFFF]\r\n"
                           "APP1=Office\r\n"));
  }
  WString Read(const WString& section, const WString& key, const WString& path,
               size_t buffer_chars = 260, const WString& default_value = u"") {
    return platform_.ReadPrivateProfileString(section, key, default_value, buffer_chars, path);
  }

  Win32Platform platform_;
  WString ini_;
};

TEST_F(ProfileReaderTest, SectionAndKeyNamesMatchWithoutRegardToCase) {
  const struct {
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"Settings", u"LogFile", u"C:\\Logs\\run.log"},
      {u"SETTINGS", u"logfile", u"C:\\Logs\\run.log"},
      {u"settings", u"LOGFILE", u"C:\\Logs\\run.log"},
      {u"0xffff", u"app1", u"Office"},
      {u"0XFFFF", u"App1", u"Office"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.section, c.key, ini_), c.value);
  }
}

TEST_F(ProfileReaderTest, AnythingMissingGivesTheDefault) {
  const struct {
    const char16_t* section;
    const char16_t* key;
    WString path;
  } cases[] = {
      {u"Settings", u"NoSuchKey", ini_},
      {u"NoSuchSection", u"LogFile", ini_},
      {u"Settings", u"LogFile", At(u"missing.ini")},
      {u"Settings", u"LogFile", At(u"no-folder\\missing.ini")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.section, c.key, c.path, 260, u"fallback"), u"fallback");
    EXPECT_EQ(Read(c.section, c.key, c.path), u"");
  }
}

TEST_F(ProfileReaderTest, ValueIsCutToTheBuffer) {
  EXPECT_EQ(Read(u"Settings", u"Long", ini_), WString(259, u'x'));
  EXPECT_EQ(Read(u"Settings", u"Long", ini_, 10), WString(9, u'x'));
  EXPECT_EQ(Read(u"Settings", u"Long", ini_, 1), u"");
  EXPECT_EQ(Read(u"Settings", u"Long", ini_, 0), u"");
}

TEST_F(ProfileReaderTest, ProfileValuesAreTrimmedAndEmptyMeansNotGiven) {
  const struct {
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"Blank", u""},
      {u"Empty", u""},
      {u"Padded", u"a b"},
      {u"Missing", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadProfileValue(u"Settings", c.key, ini_, platform_, platform_), c.value);
  }
  EXPECT_EQ(ReadProfileValue(u"Settings", u"Long", ini_, platform_, platform_),
            WString(259, u'x'));
}

}  // namespace
}  // namespace quill::test
