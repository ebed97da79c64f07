// quillplan's INI reader, which must read a file the way the platform's
// profile reader does. The input is the file's bytes.
#include <string>
#include <vector>

#include "base/utf.h"
#include "fuzz_support.h"
#include "plan/windows/ini_file.h"
#include "plan/windows/ini_text.h"

using quill::WString;
using quill::fuzz::Check;
using quill::plan::IniFile;

namespace {

bool SameSections(const IniFile& a, const IniFile& b) {
  if (a.sections().size() != b.sections().size()) return false;
  const quill::plan::IniLines a_lines(a);
  const quill::plan::IniLines b_lines(b);
  for (size_t i = 0; i < a.sections().size(); ++i) {
    const quill::plan::IniSection& x = a.sections()[i];
    const quill::plan::IniSection& y = b.sections()[i];
    const quill::plan::IniKeys xs = a.Keys(x);
    const quill::plan::IniKeys ys = b.Keys(y);
    if (a.Name(x) != b.Name(y) || a_lines.Of(x) != b_lines.Of(y) || x.again != y.again ||
        xs.size() != ys.size()) {
      return false;
    }
    for (size_t k = 0; k < xs.size(); ++k) {
      const quill::plan::IniKey& p = xs[k];
      const quill::plan::IniKey& q = ys[k];
      if (a.Name(p) != b.Name(q) || p.has_value != q.has_value || a.Value(p) != b.Value(q) ||
          a_lines.Of(p) != b_lines.Of(q)) {
        return false;
      }
    }
  }
  return true;
}

std::string Utf16LittleEndian(const WString& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

size_t IndexOf(const IniFile& file, const quill::plan::IniSection* section) {
  return section == nullptr ? file.sections().size()
                            : static_cast<size_t>(section - file.sections().data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(bytes), size);
  const IniFile file = IniFile::FromBytes(raw);
  Check(!file.sections().empty() && quill::plan::IniLines(file).Of(file.sections()[0]) == 0,
        "the lines before any header");
  // Read in pieces of any size, as a verb reads a file, it reads the same.
  size_t at = 0;
  const size_t piece = 1 + size % 61;
  const IniFile pieces = IniFile::FromPieces([&](std::string* next) {
    *next = raw.substr(at, piece);
    at += next->size();
    return !next->empty();
  });
  Check(SameSections(file, pieces) && file.encoding() == pieces.encoding() &&
            file.utf16_without_mark() == pieces.utf16_without_mark() &&
            file.nul_lines() == pieces.nul_lines(),
        "a file read in pieces reads as a whole");

  for (const quill::plan::IniSection& section : file.sections()) {
    for (const quill::plan::IniKey& key : file.Keys(section)) {
      for (size_t buffer : {0u, 1u, 2u, 7u, 260u}) {
        const WString value = file.ValueText(&key, u"default", buffer);
        Check(buffer == 0 ? value.empty() : value.size() < buffer, "a value fits its buffer");
      }
    }
  }
  // A NUL cuts names where the reader cannot look them up again; leave those.
  const WString text = quill::plan::DecodeIniText(raw, file.encoding());
  if (text.find(u'\0') != WString::npos) return 0;

  std::vector<WString> asked;
  for (const quill::plan::IniSection& section : file.sections()) {
    if (section.again) continue;
    const WString name = file.Name(section).str();
    Check(file.FindSection(name) == &section, "the first section of a name is found");
    asked.push_back(name);
    for (const quill::plan::IniKey& key : file.Keys(section)) {
      const quill::plan::IniKey* found = file.FindKey(name, file.Name(key).str());
      Check(found != nullptr && found->begin <= key.begin, "a key is found, the first of its name");
      if (found == &key && key.has_value) {
        const WString written = file.Value(key).str();
        const WString value = file.ValueText(&key, u"", written.size() + 1);
        const bool quoted = written.size() >= 2 && (written[0] == u'"' || written[0] == u'\'') &&
                            written.back() == written[0];
        Check(quoted || value == written, "a value that fits is read whole");
      }
    }
  }
  // The remembered recent names never change an answer, in any order.
  const IniFile fresh = IniFile::FromBytes(raw);
  for (size_t i = asked.size(); i-- > 0;) {
    Check(IndexOf(fresh, fresh.FindSection(asked[i])) == IndexOf(file, file.FindSection(asked[i])),
          "the same section whatever was asked before");
  }

  if (file.encoding() == quill::plan::IniEncoding::kAnsi) {
    Check(SameSections(file, IniFile::FromBytes(Utf16LittleEndian(text))),
          "the same file saved as UTF-16 reads the same");
    Check(SameSections(file, IniFile::FromBytes("\xEF\xBB\xBF" + quill::ToUtf8(text))),
          "the same file saved as UTF-8 reads the same");
  }
  return 0;
}
