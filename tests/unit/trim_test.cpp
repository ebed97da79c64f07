#include <gtest/gtest.h>

#include "base/profile_value.h"
#include "base/trim.h"
#include "fake_platform.h"

namespace quill {
namespace {

TEST(TrimTest, WhiteSpaceSetIsExactlyTheRuntimesOne) {
  FakePlatform platform;
  struct Case {
    char16_t c;
    bool space;
  };
  const Case cases[] = {
      {0x0008, false}, {0x0009, true},  {0x000A, true},  {0x000B, true},  {0x000C, true},
      {0x000D, true},  {0x000E, false}, {0x001F, false}, {0x0020, true},  {0x0085, false},
      {0x00A0, true},  {0x00A1, false}, {0x3000, true},  {0x2003, true},  {0x200B, false},
      {u'a', false},   {0x00FF, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.space, IsWhiteSpace(c.c, platform)) << std::hex << int(c.c);
  }
}

TEST(TrimTest, RemovesOnlyTheEnds) {
  FakePlatform platform;
  struct Case {
    WString in;
    WString out;
  };
  const Case cases[] = {
      {u"  a b  ", u"a b"},
      {u"\t \r\n", u""},
      {u"", u""},
      {u"\u00a0x\u3000", u"x"},
      {u"\u0085x\u0085", u"\u0085x\u0085"},
      {u"a\t\tb", u"a\t\tb"},
  };
  for (const Case& c : cases) {
    WString text = c.in;
    Trim(text, platform);
    EXPECT_EQ(c.out, text) << Narrow(c.in);
  }
}

TEST(ProfileValueTest, ReadsTrimmedValueThroughA260CharacterBuffer) {
  FakePlatform platform;
  platform.AddIniFile(u"C:\\x.ini", u"[Settings]\nBlank= \t \nWords=  a b  \nLong=" +
                                        WString(300, u'v') + u"\n");
  EXPECT_EQ(u"", ReadProfileValue(u"Settings", u"Blank", u"C:\\x.ini", platform, platform));
  EXPECT_EQ(u"a b", ReadProfileValue(u"settings", u"WORDS", u"C:\\x.ini", platform, platform));
  EXPECT_EQ(WString(259, u'v'),
            ReadProfileValue(u"Settings", u"Long", u"C:\\x.ini", platform, platform));
  EXPECT_EQ(u"", ReadProfileValue(u"Settings", u"Missing", u"C:\\x.ini", platform, platform));
  EXPECT_EQ(u"", ReadProfileValue(u"Other", u"Words", u"C:\\x.ini", platform, platform));
  EXPECT_EQ(u"", ReadProfileValue(u"Settings", u"Words", u"C:\\none.ini", platform, platform));
  for (const std::string& call : platform.CallsNamed("ReadPrivateProfileString")) {
    EXPECT_NE(std::string::npos, call.find(" 260")) << call;
  }
}

TEST(ProfileValueTest, ValueCutAtTheBufferIsTrimmedAfterTheCut) {
  FakePlatform platform;
  platform.AddIniFile(u"C:\\x.ini", u"[S]\nK=" + WString(258, u'v') + u"   tail\n");
  EXPECT_EQ(WString(258, u'v'), ReadProfileValue(u"S", u"K", u"C:\\x.ini", platform, platform));
}

}  // namespace
}  // namespace quill
