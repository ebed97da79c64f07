#include "facts/language_table.h"

#include "base/ascii.h"
#include "base/trim.h"

namespace quill {

namespace {

bool EqualFoldingAtoZ(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAtoZ(a[i]) != UpperAtoZ(b[i])) return false;
  }
  return true;
}

}  // namespace

bool IsHeaderLine(const WString& line) {
  return line.size() >= 2 && line.front() == u'[' && line.back() == u']';
}

WString SectionName(const WString& header, SystemInfo& system) {
  WString name = header.substr(1, header.find(u']') - 1);
  Trim(name, system);
  return name;
}

WString LcidValue(const WString& line) {
  const size_t equals = line.find(u'=');
  return equals == WString::npos ? line : line.substr(equals + 1);
}

std::vector<WString> ReadTableLines(const std::string& bytes) {
  std::vector<WString> lines;
  WString piece;
  size_t piece_length = 0;  // counts what follows a NUL too: the reader reads it
  bool after_nul = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0x1A) break;
    if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    after_nul = after_nul || byte == 0;
    if (!after_nul) piece += static_cast<char16_t>(byte);
    if (byte == '\n' || ++piece_length == kTableLineChars) {
      lines.push_back(piece);
      piece.clear();
      piece_length = 0;
      after_nul = false;
    }
  }
  if (piece_length > 0) lines.push_back(piece);
  return lines;
}

int FindLanguageSection(const std::string& bytes, const WString& lcid_text, WString* section,
                        SystemInfo& system) {
  bool in_section = false;
  WString name;
  for (WString line : ReadTableLines(bytes)) {
    Trim(line, system);
    if (line.empty()) continue;
    if (line.front() == u'[') {
      in_section = IsHeaderLine(line);
      if (in_section) name = SectionName(line, system);
      continue;
    }
    if (!in_section || line.front() == u';') continue;
    if (line.find(u"LCID") == WString::npos) continue;
    if (EqualFoldingAtoZ(LcidValue(line), lcid_text)) {
      *section = name;
      return 1;
    }
  }
  return 0;
}

}  // namespace quill
