// The language table's lines and the search for the section of an LCID, and
// quillplan's reading of the same table. The first byte gives the length of
// the LCID text that follows it (Latin-1); the rest is the table's bytes.
#include <string>
#include <vector>

#include "base/trim.h"
#include "facts/language_code.h"
#include "facts/language_table.h"
#include "fake_platform.h"
#include "fuzz_support.h"
#include "plan/planning/table_scan.h"

using quill::fuzz::Check;

namespace {

struct Found {
  int found = 0;
  quill::WString section;
  bool operator==(const Found& other) const {
    return found == other.found && section == other.section;
  }
};

Found Find(const std::string& table, const quill::WString& lcid, quill::SystemInfo& system) {
  Found result;
  result.found = quill::FindLanguageSection(table, lcid, &result.section, system);
  return result;
}

// The text as the reader sees it: up to the first Ctrl-Z, CR LF as LF.
std::string ReadableText(const std::string& table) {
  const std::string before = table.substr(0, table.find('\x1a'));
  std::string text;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] == '\r' && i + 1 < before.size() && before[i + 1] == '\n') continue;
    text += before[i];
  }
  return text;
}

quill::WString SwapCaseAtoZ(quill::WString text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    } else if (c >= u'A' && c <= u'Z') {
      c = static_cast<char16_t>(c - u'A' + u'a');
    }
  }
  return text;
}

// An LCID text that an appended "LCID=" line gives back unchanged.
bool SurvivesALine(const std::string& lcid, quill::SystemInfo& system) {
  if (lcid.empty()) return false;
  for (char byte : lcid) {
    const char16_t c = static_cast<unsigned char>(byte);
    if (quill::IsWhiteSpace(c, system) || c == 0 || c == 0x1A) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  quill::FakePlatform system;
  const size_t lcid_size = std::min<size_t>(bytes[0] % 16, size - 1);
  const std::string lcid_bytes(reinterpret_cast<const char*>(bytes) + 1, lcid_size);
  const std::string table(reinterpret_cast<const char*>(bytes) + 1 + lcid_size,
                          size - 1 - lcid_size);
  const quill::WString lcid = quill::fuzz::Latin1(lcid_bytes);

  const std::vector<quill::WString> lines = quill::ReadTableLines(table);
  quill::WString joined;
  for (const quill::WString& line : lines) {
    Check(line.size() <= quill::kTableLineChars, "a line fits the reader's buffer");
    for (size_t i = 0; i < line.size(); ++i) {
      Check(line[i] != 0 && line[i] != 0x1A, "no NUL or Ctrl-Z is read");
      Check(line[i] != u'\n' || i + 1 == line.size(), "a line feed only ends a line");
    }
    joined += line;
  }
  const std::string readable = ReadableText(table);
  if (readable.find('\0') == std::string::npos) {
    Check(joined == quill::fuzz::Latin1(readable), "the lines are the text, nothing lost");
  }

  const Found found = Find(table, lcid, system);
  Check(Find(table, SwapCaseAtoZ(lcid), system) == found, "A to Z compare without case");
  const size_t end = table.find('\x1a');
  if (end != std::string::npos) {
    const std::string after = "\n[ZZ]\nLCID=" + lcid_bytes + "\n";
    Check(Find(table.substr(0, end + 1) + after, lcid, system) == found,
          "nothing after a Ctrl-Z counts");
  } else if (SurvivesALine(lcid_bytes, system)) {
    const Found appended = Find(table + "\n[ZZ]\nLCID=" + lcid_bytes + "\n", lcid, system);
    Check(appended.found == 1, "a matching section at the end is found");
    Check(appended.section == (found.found ? found.section : u"ZZ"), "the first match wins");
  }
  // quillplan offers each locale with the section a run with it finds.
  for (const quill::plan::TableLanguage& language :
       quill::plan::TableLanguages(quill::plan::ScanLanguageTable(table, system))) {
    const Found run = Find(table, quill::FormatLcid(language.lcid), system);
    Check(run.found == 1 && run.section == language.section,
          "quillplan names the section the lookup finds");
  }
  return 0;
}
