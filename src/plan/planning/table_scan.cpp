#include "plan/planning/table_scan.h"

#include <set>

#include "base/ascii.h"
#include "base/trim.h"
#include "facts/language_code.h"
#include "facts/language_table.h"
#include "plan/text/case_fold.h"

namespace quill::plan {

std::vector<TableLine> ScanLanguageTable(const std::string& bytes, SystemInfo& system) {
  std::vector<TableLine> scanned;
  int line_number = 1;
  bool continues = false;
  bool in_section = false;
  WString section;
  for (const WString& piece : ReadTableLines(bytes)) {
    TableLine line;
    line.line = line_number;
    line.piece = continues;
    const bool ends_line = !piece.empty() && piece.back() == u'\n';
    if (ends_line) ++line_number;
    continues = !ends_line;

    line.text = piece;
    Trim(line.text, system);
    if (line.text.empty()) {
      line.kind = TableLineKind::kEmpty;
    } else if (line.text.front() == u'[') {
      in_section = IsHeaderLine(line.text);
      if (in_section) section = SectionName(line.text, system);
      line.kind = in_section ? TableLineKind::kHeader : TableLineKind::kBadHeader;
    } else if (!in_section) {
      line.kind = TableLineKind::kOutside;
    } else if (line.text.front() == u';') {
      line.kind = TableLineKind::kComment;
    } else if (line.text.find(u"LCID") != WString::npos) {
      line.kind = TableLineKind::kLcid;
    } else {
      line.kind = TableLineKind::kOther;
    }
    line.in_section = in_section;
    if (in_section) line.section = section;
    scanned.push_back(std::move(line));
  }
  return scanned;
}

bool ParseLcidValue(const WString& value, uint32_t* lcid) {
  if (value.size() < 3 || value.size() > 10 || value[0] != u'0' ||
      (value[1] != u'x' && value[1] != u'X')) {
    return false;
  }
  uint32_t number = 0;
  for (size_t i = 2; i < value.size(); ++i) {
    const int digit = HexDigit(value[i]);
    if (digit < 0) return false;
    number = number * 16 + static_cast<uint32_t>(digit);
  }
  *lcid = number;
  return true;
}

std::vector<TableLanguage> TableLanguages(const std::vector<TableLine>& lines) {
  std::vector<TableLanguage> languages;
  std::set<uint32_t> seen;
  for (const TableLine& line : lines) {
    if (line.kind != TableLineKind::kLcid) continue;
    TableLanguage language;
    language.section = line.section;
    language.lcid_value = LcidValue(line.text);
    language.line = line.line;
    if (!ParseLcidValue(language.lcid_value, &language.lcid)) continue;
    // The lookup compares text: "0x0409" never matches the locale 0x409.
    if (!EqualIgnoringCase(language.lcid_value, FormatLcid(language.lcid))) continue;
    if (seen.insert(language.lcid).second) languages.push_back(language);
  }
  return languages;
}

}  // namespace quill::plan
