// The languages a table offers are the sections that runs with those
// locales find: the lookup compares LCID text, so a value written with
// leading zeros names no locale at all.
#include <gtest/gtest.h>

#include "facts/language_code.h"
#include "facts/language_table.h"
#include "plan/matrix/matrix.h"
#include "plan/planning/table_scan.h"
#include "plan_fixture.h"

namespace quill::plan {
namespace {

const char kTable[] =
    "[AA]\r\nLCID=0x0409\r\n[12]\r\nLCID=0x409\r\n"
    "[04]\r\nLCID=0X407\r\nLCID=0x00000407\r\n[LZ]\r\nLCID=0x0000040c\r\n";

TEST(TableLanguagesTest, EachLocaleNamesTheSectionTheLookupFinds) {
  PlanFixture m("[Settings]\n");
  const std::vector<TableLanguage> languages =
      TableLanguages(ScanLanguageTable(kTable, *m.platform));
  ASSERT_EQ(2u, languages.size());
  EXPECT_EQ(u"12", languages[0].section);
  EXPECT_EQ(0x409u, languages[0].lcid);
  EXPECT_EQ(u"04", languages[1].section);
  EXPECT_EQ(0x407u, languages[1].lcid);
  for (const TableLanguage& language : languages) {
    WString found;
    ASSERT_EQ(1, FindLanguageSection(kTable, FormatLcid(language.lcid), &found, *m.platform));
    EXPECT_EQ(language.section, found);
  }
}

TEST(TableLanguagesTest, MatrixRowsAreLabelledWithTheCodeTheRunUses) {
  PlanFixture m(
      "[Settings]\nAppInstlPath=C:\\AppInstl\n[0xFFFF]\nAPP1=Reader\n[0xAB12]\n"
      "[Reader]\nAppPath=C:\\Reader\nAppSwitches=%LANG%\\setup.exe\n");
  m.Add("AppInstl/LANG.INI", kTable);
  m.AddFolder("Reader/12");
  m.AddFolder("Reader/04");
  const Matrix matrix = MakeMatrix("", *m.platform);
  ASSERT_TRUE(matrix.problem.empty()) << matrix.problem;
  ASSERT_EQ(3u, matrix.languages.size());  // 0x409, 0x407 and the unknown locale
  EXPECT_EQ(u"12", matrix.languages[0].label);
  EXPECT_EQ(u"0x409", matrix.languages[0].lcid_text);
  EXPECT_EQ(u"04", matrix.languages[1].label);
}

}  // namespace
}  // namespace quill::plan
