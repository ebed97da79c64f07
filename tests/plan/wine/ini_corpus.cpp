#include "ini_corpus.h"

#include <random>

#include "base/utf.h"
#include "plan/windows/ini_text.h"

namespace quill::plan {

namespace {

enum class Encoding { kAnsi, kUtf8, kUtf16 };

class Maker {
 public:
  Maker(unsigned seed, Encoding encoding) : random_(seed), encoding_(encoding) {}

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) { return from[Below(from.size())]; }

  // White space, some of it only in files that can hold it.
  WString Blank() {
    std::vector<WString> blanks = {u" ", u"\t", u"  ", u" \t ", u"\x0b", u"\x0c", u"\x1a"};
    if (encoding_ != Encoding::kAnsi) {
      blanks.insert(blanks.end(), {u"\u00a0", u"\u3000", u"\u2000", u"\u0085", u"\u200b",
                                   u"\u2028", u"\ufeff", u"\x1c", u"\x1f", u"\u1680"});
    } else {
      blanks.push_back(u"\u00a0");
    }
    return Pick(blanks);
  }

  WString SectionName() {
    std::vector<WString> names = {u"Settings", u"0xFFFF", u"0xAB12", u"0xab12_VISTA64", u"App",
                                  u"Reader", u"Caf\u00e9", u"x", u"A B", u"dup", u"DUP"};
    if (encoding_ != Encoding::kAnsi) {
      names.insert(names.end(), {u"\u03a3\u039a", u"\u03c3\u03ba", u"\u0416\u0443\u043a",
                                 u"\u00c9T\u00c9", u"\u0130i"});
    }
    return Pick(names);
  }

  WString KeyName() {
    std::vector<WString> names = {u"AppPath", u"APPPATH", u"AppSwitches", u"APP1", u"app1",
                                  u"APP2", u"GlobalSwitches", u"k", u"K", u"a b", u"LogFile",
                                  u";AppPath", u"#k", u"[k", u"\u00e9t\u00e9", u"="};
    return Pick(names);
  }

  WString Value() {
    switch (Below(14)) {
      case 0: return WString();
      case 1: return u"plain";
      case 2: return Blank() + u"padded" + Blank();
      case 3: return u"\"C:\\Program Files\\App\"";
      case 4: return u"'single'";
      case 5: return u"\"mismatch'";
      case 6: return Pick(std::vector<WString>{u"\"", u"\"\"", u"''", u"\"a\"b\"", u"\" x \""});
      case 7: return u"a=b = c";
      case 8: return u"x ; not a comment";
      case 9: return u"%LANG%\\setup.exe /s";
      case 10: {
        const size_t length = Pick(std::vector<size_t>{257, 258, 259, 260, 261, 300});
        WString value(length, static_cast<char16_t>(u'a' + Below(26)));
        if (Chance(50)) value = u"\"" + value + u"\"";
        return value;
      }
      case 11: return encoding_ == Encoding::kAnsi ? u"\u00e9\u20ac\u00ff" : u"\u03a3\u20ac\u4e2d";
      case 12: return u"in" + Blank() + u"side";
      default: return u"tab\there";
    }
  }

  WString LineEnd() {
    return Pick(std::vector<WString>{u"\r\n", u"\n", u"\r", u"\r\n\r\n", u"\n\r", u"\r\r\n"});
  }

  WString Header(const WString& name) {
    switch (Below(8)) {
      case 0: return u"[" + Blank() + name + Blank() + u"]";
      case 1: return Blank() + u"[" + name + u"]" + Blank();
      case 2: return u"[" + name + u"]junk";
      case 3: return u"[" + name;  // never closed: a key line
      case 4: return u"[" + name + u"]]";
      default: return u"[" + name + u"]";
    }
  }

  WString KeyLine(const WString& key) {
    switch (Below(8)) {
      case 0: return key;  // no "="
      case 1: return Blank() + key + Blank() + u"=" + Blank() + Value() + Blank();
      case 2: return key + u"=" + Value() + u"\x1a";
      case 3: return u";" + key + u"=" + Value();
      default: return key + u"=" + Value();
    }
  }

  std::string Encode(const WString& text) {
    switch (encoding_) {
      case Encoding::kUtf8: return "\xEF\xBB\xBF" + ToUtf8(text);
      case Encoding::kUtf16: {
        std::string bytes = "\xFF\xFE";
        for (char16_t c : text) {
          bytes += static_cast<char>(c & 0xFF);
          bytes += static_cast<char>(c >> 8);
        }
        return bytes;
      }
      case Encoding::kAnsi: break;
    }
    std::string bytes;
    for (char16_t c : text) bytes += static_cast<char>(c == 0x20AC ? 0x80 : c);
    return bytes;
  }

 private:
  std::mt19937 random_;
  Encoding encoding_;
};

// Names as asked: as written, in another case, with blanks, or not there.
WString Asked(Maker& maker, const WString& name) {
  switch (maker.Below(6)) {
    case 0: {
      WString swapped = name;
      for (char16_t& c : swapped) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        else if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        else if (c >= 0x3B1 && c <= 0x3C9) c = static_cast<char16_t>(c - 32);
        else if (c >= 0x391 && c <= 0x3A9) c = static_cast<char16_t>(c + 32);
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) c = static_cast<char16_t>(c - 32);
        else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) c = static_cast<char16_t>(c + 32);
        else if (c >= 0x430 && c <= 0x44F) c = static_cast<char16_t>(c - 32);
        else if (c >= 0x410 && c <= 0x42F) c = static_cast<char16_t>(c + 32);
      }
      return swapped;
    }
    case 1: return u" " + name + u"\t";
    case 2: return name + u"x";
    default: return name;
  }
}

CorpusFile MakeFile(size_t index, unsigned seed) {
  const Encoding encoding = index % 10 < 6 ? Encoding::kAnsi
                            : index % 10 < 8 ? Encoding::kUtf8
                                             : Encoding::kUtf16;
  Maker maker(seed + static_cast<unsigned>(index) * 7919u, encoding);
  WString text;
  std::vector<WString> sections = {WString()};
  std::vector<WString> keys;
  if (maker.Chance(30)) {
    keys.push_back(maker.KeyName());
    text += maker.KeyLine(keys.back()) + maker.LineEnd();
  }
  const size_t section_count = 1 + maker.Below(5);
  for (size_t s = 0; s < section_count; ++s) {
    // Now and then a section again, in another case.
    sections.push_back(s > 0 && maker.Chance(20) ? Asked(maker, sections.back())
                                                   : maker.SectionName());
    text += maker.Header(sections.back()) + maker.LineEnd();
    const size_t key_count = maker.Below(7);
    for (size_t k = 0; k < key_count; ++k) {
      keys.push_back(k > 0 && maker.Chance(15) ? Asked(maker, keys.back()) : maker.KeyName());
      text += maker.KeyLine(keys.back());
      text += maker.Chance(5) ? WString(1, u'\0') + u"tail" : WString();
      text += maker.LineEnd();
    }
  }
  // A file whose last line has no line end.
  if (maker.Chance(35)) {
    keys.push_back(maker.KeyName());
    text += maker.KeyLine(keys.back());
  }

  CorpusFile file;
  file.name = "ini" + std::to_string(index) + ".ini";
  file.bytes = maker.Encode(text);
  keys.push_back(u"Missing");
  sections.push_back(u"Missing");
  for (const WString& section : sections) {
    for (const WString& key : keys) {
      ProfileQuestion question;
      question.section = Asked(maker, section);
      question.key = Asked(maker, key);
      question.buffer_chars = maker.Chance(85) ? 260 : maker.Pick(std::vector<size_t>{1, 2, 3, 6, 259, 261});
      file.questions.push_back(question);
    }
  }
  return file;
}

}  // namespace

std::vector<CorpusFile> MakeIniCorpus(size_t files, unsigned seed) {
  std::vector<CorpusFile> corpus;
  for (size_t i = 0; i < files; ++i) corpus.push_back(MakeFile(i, seed));
  return corpus;
}

}  // namespace quill::plan
