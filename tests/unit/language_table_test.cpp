#include <gtest/gtest.h>

#include "fake_platform.h"
#include "facts/language_code.h"
#include "facts/language_table.h"

namespace quill {
namespace {

TEST(LanguageTableTest, MatchingRules) {
  struct Case {
    const char* name;
    std::string table;
    int result;
    WString code;
  };
  const std::string utf16_table("[\0U\0S\0]\0\r\0\n\0L\0C\0I\0D\0=\x00" "0\0x\0004\0000\0009\0", 32);
  const Case cases[] = {
      {"plain", "[US]\r\nLCID=0x409\r\n", 1, u"US"},
      {"capital X", "[US]\nLCID=0X409\n", 1, u"US"},
      {"blank after =", "[US]\nLCID = 0x409\n", 0, u""},
      {"leading zero", "[US]\nLCID=0x0409\n", 0, u""},
      {"remark after", "[US]\nLCID=0x409 ; English\n", 0, u""},
      {"blanks trimmed from line", "[US]\n  LCID=0x409 \t\n", 1, u"US"},
      {"LCID anywhere", "[UK]\nOldLCID=0x409\n", 1, u"UK"},
      {"LCID2", "[UK]\nLCID2=0x409\n", 1, u"UK"},
      {"lower-case lcid", "[US]\nlcid=0x409\n", 0, u""},
      {"no =", "[US]\nLCID\n[X]\nLCID0x409\n", 0, u""},
      {"whole line without =", "[US]\n0x409LCID\n", 0, u""},
      {"header trimmed", "[ US ]\nLCID=0x409\n", 1, u"US"},
      {"first ] ends name", "[A]B]\nLCID=0x409\n", 1, u"A"},
      {"empty name", "[]\nLCID=0x409\n", 1, u""},
      {"lone [", "[\nLCID=0x409\n", 0, u""},
      {"unclosed ends section", "[US]\n[Notes\nLCID=0x409\n", 0, u""},
      {"unclosed then header", "[US]\n[Notes\nLCID=0x409\n[DE]\nLCID=0x409\n", 1, u"DE"},
      {"first section wins", "[A]\nLCID=0x409\n[B]\nLCID=0x409\n", 1, u"A"},
      {"several LCID lines", "[A]\nLCID=0x407\nLCID=0x409\n", 1, u"A"},
      {"comment", "[US]\n;LCID=0x409\n", 0, u""},
      {"before first header", "LCID=0x409\n[US]\nLCID=0x407\n", 0, u""},
      {"after Ctrl-Z", "[X]\nLCID=0x407\n\x1a[US]\nLCID=0x409\n", 0, u""},
      {"Ctrl-Z mid-line", "[US]\nLCID=0x409\x1a" "0\n", 1, u"US"},
      {"UTF-16", utf16_table, 0, u""},
      {"UTF-8 BOM on header", "\xef\xbb\xbf[US]\nLCID=0x409\n", 0, u""},
      {"UTF-8 BOM, later section", "\xef\xbb\xbf[US]\nLCID=0x409\n[UK]\nLCID=0x409\n", 1, u"UK"},
      {"NUL ends line text", "[US]\nLCID=0x409\0garbage\n", 1, u"US"},
      {"CR alone is no line end", "[US]\rLCID=0x409\n", 0, u""},
      {"no final line end", "[US]\nLCID=0x409", 1, u"US"},
      {"fourth section, LF", "[A]\nLCID=1\n[B]\nLCID=2\n[C]\nLCID=3\n[D]\nLCID=0x409\n", 1, u"D"},
      {"fourth section, CRLF",
       "[A]\r\nLCID=1\r\n[B]\r\nLCID=2\r\n[C]\r\nLCID=3\r\n[D]\r\nLCID=0x409\r\n", 1, u"D"},
      {"no-break space trimmed", "[US]\n\xa0LCID=0x409\xa0\n", 1, u"US"},
      {"NEL not trimmed", "[US]\nLCID=0x409\x85\n", 0, u""},
  };
  FakePlatform platform;
  for (const Case& c : cases) {
    WString code;
    EXPECT_EQ(c.result, FindLanguageSection(c.table, u"0x409", &code, platform)) << c.name;
    EXPECT_EQ(c.code, code) << c.name;
  }
}

TEST(LanguageTableTest, LongLinesComeIn259CharacterPieces) {
  const std::string long_line = std::string(259, 'x') + "LCID=0x409";  // the tail is its own line
  FakePlatform platform;
  WString code;
  EXPECT_EQ(1, FindLanguageSection("[US]\n" + long_line + "\n", u"0x409", &code, platform));
  const std::vector<WString> lines = ReadTableLines(std::string(300, 'a') + "\r\nb");
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(WString(259, u'a'), lines[0]);
  EXPECT_EQ(WString(41, u'a') + u"\n", lines[1]);
  EXPECT_EQ(u"b", lines[2]);
  // A header of exactly 259 characters keeps its line end for a line of its own.
  const std::string header = "[" + std::string(257, 'N') + "]";
  EXPECT_EQ(1, FindLanguageSection(header + "\r\nLCID=0x409\r\n", u"0x409", &code, platform));
  EXPECT_EQ(WString(257, u'N'), code);
}

TEST(LanguageCodeTest, FormatsTheLocaleInLowerCaseHex) {
  EXPECT_EQ(u"0x409", FormatLcid(0x409));
  EXPECT_EQ(u"0x0", FormatLcid(0));
  EXPECT_EQ(u"0x10c0c", FormatLcid(0x10c0c));
  EXPECT_EQ(u"0xffffffff", FormatLcid(0xffffffffu));
}

struct LookupFixture {
  LookupFixture() {
    context.LanguageTablePath = u"C:\\Share\\LANG.INI";
    platform.lcid = 0x407;
    platform.AddFile(context.LanguageTablePath, "[12]\nLCID=0x409\n[04]\nLCID=0x407\n",
                     kFileAttributeReadOnly);
  }
  FakePlatform platform;
  RunContext context;
};

TEST(LanguageCodeTest, ReadsTheTableAndSetsBothFields) {
  LookupFixture f;
  EXPECT_EQ(1, LookUpLanguageCode(f.context, f.platform));
  EXPECT_EQ(u"0x407", f.context.LcidText);
  EXPECT_EQ(u"04", f.context.LanguageCode);
  EXPECT_FALSE(f.platform.Exists(kFallbackLanguageTable));
}

TEST(LanguageCodeTest, NoMatchSetsOnlyTheLocale) {
  LookupFixture f;
  f.platform.lcid = 0x411;
  EXPECT_EQ(0, LookUpLanguageCode(f.context, f.platform));
  EXPECT_EQ(u"0x411", f.context.LcidText);
  EXPECT_EQ(u"", f.context.LanguageCode);
}

TEST(LanguageCodeTest, UnopenableTableIsCopiedOnceWithNormalAttributesAndReadFromTheCopy) {
  LookupFixture f;
  f.platform.MakeUnreadable(f.context.LanguageTablePath);
  EXPECT_EQ(1, LookUpLanguageCode(f.context, f.platform));
  EXPECT_EQ(u"04", f.context.LanguageCode);
  EXPECT_EQ(kFileAttributeNormal, f.platform.AttributesOf(kFallbackLanguageTable));
  EXPECT_EQ(std::vector<std::string>{"Copy C:\\Share\\LANG.INI C:\\LANG_INI.TXT 0"},
            f.platform.CallsNamed("Copy"));

  // The table changes; the stale copy is read unchanged and not made again.
  f.platform.AddFile(f.context.LanguageTablePath, "[99]\nLCID=0x407\n");
  f.platform.MakeUnreadable(f.context.LanguageTablePath);
  RunContext later;
  later.LanguageTablePath = f.context.LanguageTablePath;
  EXPECT_EQ(1, LookUpLanguageCode(later, f.platform));
  EXPECT_EQ(u"04", later.LanguageCode);
  EXPECT_EQ(1u, f.platform.CallsNamed("Copy").size());
}

TEST(LanguageCodeTest, FailuresOfTheFallback) {
  {
    LookupFixture f;
    f.platform.MakeUnreadable(f.context.LanguageTablePath);
    f.platform.FailOn("Copy");
    EXPECT_EQ(0, LookUpLanguageCode(f.context, f.platform));
    EXPECT_EQ(u"0x407", f.context.LcidText);
    EXPECT_TRUE(f.platform.CallsNamed("SetAttributes").empty());
  }
  {
    LookupFixture f;
    f.platform.MakeUnreadable(f.context.LanguageTablePath);
    f.platform.AddFile(kFallbackLanguageTable, "");
    f.platform.MakeUnreadable(kFallbackLanguageTable);
    EXPECT_EQ(0, LookUpLanguageCode(f.context, f.platform));
    EXPECT_TRUE(f.platform.CallsNamed("Copy").empty());
    EXPECT_EQ(u"", f.context.LanguageCode);
  }
}

}  // namespace
}  // namespace quill
