#include <gtest/gtest.h>

#include "base/utf.h"
#include "plan/windows/ini_file.h"

namespace quill::plan {
namespace {

// A literal's bytes, NULs included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string Read(const IniFile& ini, const char* section, const char* key, size_t buffer = 260,
                 const char* fallback = "") {
  return ToUtf8(ini.GetString(FromUtf8(section), FromUtf8(key), FromUtf8(fallback), buffer));
}

TEST(IniFileTest, ValuesAsTheProfileReaderGivesThem) {
  struct Case {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      // names in any case, trimmed on both sides of "="
      {"[Apps]\nAppPath=C:\\A\n", "apps", "APPPATH", "C:\\A"},
      {"[Apps]\n  AppPath \t=  C:\\A  \n", "Apps", "AppPath", "C:\\A"},
      {"[Apps]\nAppPath=C:\\A\n", "  Apps ", " AppPath\t", "C:\\A"},
      // a section's name is trimmed inside its brackets, by ASCII white space
      {"[ Apps\t]\nAppPath=C:\\A\n", "Apps", "AppPath", "C:\\A"},
      {"[\xA0" "Apps]\nAppPath=C:\\A\n", "Apps", "AppPath", ""},
      {"[A]B]\nk=1\n", "A]B", "k", "1"},  // up to the last "]"
      {"[A]B]\nk=1\n", "A", "k", ""},
      {"[A]\nk=\xA0" "x\xA0\n", "A", "k", "\xC2\xA0" "x\xC2\xA0"},
      {"[Apps]junk\nAppPath=C:\\A\n", "Apps", "AppPath", "C:\\A"},
      // only the first section and the first key of a name count
      {"[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "k", "1"},
      {"[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", ""},
      {"[A]\nK=1\nk=2\n", "A", "k", "1"},
      {"[A]\nk\nk=2\n", "A", "k", ""},  // the first k has no "=": the default
      // ";" marks no comment: such a line is a key nobody asks for
      {"[A]\n;k=1\nk=2\n", "A", ";k", "1"},
      {"[A]\nk=1 ; note\n", "A", "k", "1 ; note"},
      // keys before the first header belong to the unnamed section
      {"k=0\n[A]\nk=1\n", "", "k", "0"},
      // a "[" line without "]" is a key of the section it stands in
      {"[A]\n[B\nk=1\n", "A", "k", "1"},
      {"[A]\n[B=x\n", "A", "[B", "x"},
      // quotes that match on both ends go; others stay
      {"[A]\nk=\"C:\\Program Files\"\n", "A", "k", "C:\\Program Files"},
      {"[A]\nk='a b'\n", "A", "k", "a b"},
      {"[A]\nk=\"a b'\n", "A", "k", "\"a b'"},
      {"[A]\nk=\"\n", "A", "k", "\""},
      {"[A]\nk=\"\"\n", "A", "k", ""},
      {"[A]\nk=\"  x  \"\n", "A", "k", "  x  "},
      // any run of CR and LF ends a line; Ctrl-Z is white space
      {"[A]\rk=1\r\rj=2", "A", "j", "2"},
      {"[A]\r\nk=1\x1A\r\n", "A", "k", "1"},
      // a section of more keys than are looked through finds them all the same
      {"[A]\nk=1\nb=\nc=\nd=\ne=\nf=\ng=\nh=\nK=2\n", "A", "k", "1"},
      {"[A]\nk=1\nb=\nc=\nd=\ne=\nf=\ng=\nh=\nK=2\n", "A", "h", ""},
      {"[A]\na=\nb=\nc=\nd=\ne=\nf=\ng=\nh=8\n", "A", "h", "8"},
      {"[A]\na=1\nb=\nc=\nd=\ne=\nf=\ng=\nh=8\n", "A", "a", "1"},
      // missing section, key, or both
      {"[A]\nk=1\n", "B", "k", ""},
      {"[A]\nk=1\n", "A", "j", ""},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::FromBytes(c.text);
    EXPECT_EQ(c.expected, Read(ini, c.section, c.key)) << c.text;
  }
}

TEST(IniFileTest, NulInsideAValueEndsIt) {
  const IniFile ini = IniFile::FromBytes(Bytes("[A]\nk=ab\0cd\nj=2\n"));
  EXPECT_EQ("ab", Read(ini, "A", "k"));
  EXPECT_EQ("2", Read(ini, "A", "j"));
}

TEST(IniFileTest, BufferCutAndTheQuoteAtItsEdge) {
  const std::string long_value(300, 'x');
  const IniFile ini = IniFile::FromBytes("[A]\nk=" + long_value + "\n");
  EXPECT_EQ(259u, Read(ini, "A", "k").size());
  EXPECT_EQ(9u, Read(ini, "A", "k", 10).size());

  struct Case {
    size_t inner;  // characters between the quotes
    size_t expected;
  };
  // The closing quote is dropped only when the whole value fitted; when the
  // value fills the buffer exactly, the reader drops its last character.
  const Case cases[] = {{257, 257}, {258, 258}, {259, 258}, {260, 259}};
  for (const Case& c : cases) {
    const IniFile quoted = IniFile::FromBytes("[A]\nk=\"" + std::string(c.inner, 'q') + "\"\n");
    const std::string value = Read(quoted, "A", "k");
    EXPECT_EQ(c.expected, value.size()) << c.inner;
    EXPECT_EQ(std::string::npos, value.find('"')) << c.inner;
  }
}

TEST(IniFileTest, DefaultLosesTrailingBlanksAndQuotes) {
  const IniFile ini = IniFile::FromBytes("[A]\nk\n");
  EXPECT_EQ("dflt", Read(ini, "A", "missing", 260, "dflt   "));
  EXPECT_EQ(" ", Read(ini, "A", "missing", 260, "   "));
  EXPECT_EQ("x y", Read(ini, "A", "k", 260, "\"x y\""));
}

// ASCII text as a file of `encoding` holds it, without a mark.
std::string Encoded(const std::string& ascii, IniEncoding encoding) {
  if (encoding != IniEncoding::kUtf16LittleEndian && encoding != IniEncoding::kUtf16BigEndian)
    return ascii;
  std::string bytes;
  for (char c : ascii) {
    bytes += encoding == IniEncoding::kUtf16BigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return bytes;
}

IniFile InPieces(const std::string& bytes, size_t piece) {
  size_t at = 0;
  return IniFile::FromPieces([&](std::string* next) {
    *next = bytes.substr(at, piece);
    at += next->size();
    return !next->empty();
  });
}

TEST(IniFileTest, EncodingsByByteOrderMark) {
  struct Case {
    std::string mark;
    std::string body;
    IniEncoding written;
    IniEncoding read;
    const char* value;  // of k in [A]
    bool utf16_without_mark;
  };
  const std::string utf16_le = Bytes("[\0A\0]\0\n\0k\0=\0\xE9\0t\0\xE9\0 \0\xAC\x20\n\0");
  const std::string utf16_be = Bytes("\0[\0A\0]\0\n\0k\0=\0\xE9\0t\0\xE9\0 \x20\xAC\0\n");
  const char* const accents = "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC";
  const Case cases[] = {
      {"", "[A]\nk=\xE9t\xE9 \x80\n", IniEncoding::kAnsi, IniEncoding::kAnsi, accents, false},  // Windows-1252
      {"\xEF\xBB\xBF", "[A]\nk=\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\n", IniEncoding::kUtf8, IniEncoding::kUtf8,
       accents, false},
      {"\xFF\xFE", utf16_le, IniEncoding::kUtf16LittleEndian, IniEncoding::kUtf16LittleEndian,
       accents, false},
      {"\xFE\xFF", utf16_be, IniEncoding::kUtf16BigEndian, IniEncoding::kUtf16BigEndian, accents,
       false},
      // Without its mark, UTF-16 is read as ANSI, reads nothing, and says so.
      {"", utf16_le, IniEncoding::kUtf16LittleEndian, IniEncoding::kAnsi, "", true},
      {"", utf16_be, IniEncoding::kUtf16BigEndian, IniEncoding::kAnsi, "", true},
      // With a UTF-8 mark missing, the same bytes read as the ANSI code page.
      {"", "[A]\nk=\xC3\xA9\n", IniEncoding::kAnsi, IniEncoding::kAnsi, "\xC3\x83\xC2\xA9", false},
  };
  // Also past the opening that tells the encoding, read whole and in pieces
  // that cut characters in two.
  std::string comments;
  for (int line = 0; line < 100; ++line) comments += std::string(59, ';') + "\n";
  for (const Case& c : cases) {
    for (const std::string& before : {std::string(), Encoded(comments, c.written)}) {
      const std::string bytes = c.mark + before + c.body;
      for (const IniFile& ini : {IniFile::FromBytes(bytes), InPieces(bytes, 7)}) {
        SCOPED_TRACE(std::string(EncodingName(c.written)) + " after " + std::to_string(before.size()));
        EXPECT_EQ(c.read, ini.encoding());
        EXPECT_EQ(c.value, Read(ini, "A", "k"));
        EXPECT_EQ(c.utf16_without_mark, ini.utf16_without_mark());
      }
    }
  }
}

TEST(IniFileTest, NamesFoldOnlyTheLettersAToZ) {
  const IniFile ini = IniFile::FromBytes("\xEF\xBB\xBF[Caf\xC3\xA9]\n\xCE\xA3\xCE\x9A=1\nKey=2\n");
  EXPECT_EQ("2", Read(ini, "CAF\xC3\xA9", "kEY"));
  EXPECT_EQ("", Read(ini, "CAF\xC3\x89", "Key"));                 // É is not é
  EXPECT_EQ("", Read(ini, "Caf\xC3\xA9", "\xCF\x83\xCE\xBA"));  // σκ is not ΣΚ
  EXPECT_EQ("1", Read(ini, "Caf\xC3\xA9", "\xCE\xA3\xCE\x9A"));
}

TEST(IniFileTest, LinesAreCountedForFindings) {
  // Also with a CR LF across the place where counting resumes: 4096.
  for (const std::string& opening : {std::string(), std::string(4095, ';') + "\r\n"}) {
    const IniFile ini =
        IniFile::FromBytes(opening + "; top\r\n\r\n[A]\r\nk=1" + std::string(1, '\0') + "\r\r\n\nj=2\n");
    const IniLines lines(ini);
    const int before = opening.empty() ? 0 : 1;
    const IniSection* section = ini.FindSection(u"A");
    ASSERT_NE(nullptr, section);
    EXPECT_EQ(3 + before, lines.Of(*section));
    EXPECT_EQ(4 + before, lines.Of(*ini.FindKey(u"A", u"k")));
    EXPECT_EQ(7 + before, lines.Of(*ini.FindKey(u"A", u"j")));
    EXPECT_EQ(1, lines.Of(ini.Keys(ini.sections().front()).front()));
    EXPECT_EQ(0, lines.Of(ini.sections().front()));
    EXPECT_EQ(std::vector<int>{4 + before}, ini.nul_lines());
  }
}

}  // namespace
}  // namespace quill::plan
