#include "plan/lint/table_lint.h"

#include <map>

#include "base/ascii.h"
#include "base/utf.h"
#include "facts/language_table.h"
#include "plan/planning/plan_words.h"
#include "plan/planning/table_scan.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

class TableLint {
 public:
  TableLint(const std::string& file, std::vector<Finding>& findings)
      : file_(file), findings_(findings) {}

  void Add(int line, const char* rule, Severity severity, const std::string& message) {
    findings_.push_back({file_, line, rule, severity, message});
  }

 private:
  const std::string& file_;
  std::vector<Finding>& findings_;
};

// The "0x" and hexadecimal digits that begin a value; 0 when it does not
// begin so.
size_t HexPrefixLength(const WString& value) {
  if (value.size() < 3 || value[0] != u'0' || (value[1] != u'x' && value[1] != u'X')) return 0;
  size_t end = 2;
  while (end < value.size() && HexDigit(value[end]) >= 0) ++end;
  return end > 2 ? end : 0;
}

void CheckEncoding(const std::string& bytes, TableLint& lint) {
  const bool utf16_mark = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
  size_t nuls = 0;
  const size_t sample = std::min<size_t>(bytes.size(), 512);
  for (size_t i = 0; i < sample; ++i) nuls += bytes[i] == '\0';
  if (utf16_mark || (sample >= 8 && nuls * 4 >= sample)) {
    lint.Add(1, "table-utf16", Severity::kError,
             "the table is UTF-16; the lookup reads single bytes and finds no section in it");
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    lint.Add(1, "table-utf8-bom", Severity::kError,
             "the table begins with a UTF-8 byte-order mark; a section header on the first line "
             "is not recognised");
  }
  const size_t ctrl_z = bytes.find('\x1A');
  if (ctrl_z != std::string::npos && bytes.find_first_not_of(" \t\r\n\x1A", ctrl_z) != std::string::npos) {
    int line = 1;
    for (size_t i = 0; i < ctrl_z; ++i) line += bytes[i] == '\n';
    lint.Add(line, "table-ctrl-z", Severity::kWarning,
             "a Ctrl-Z byte ends the table here; nothing after it is read");
  }
}

void CheckLcidValue(const TableLine& line, TableLint& lint) {
  const WString value = LcidValue(line.text);
  const std::string shown = ToUtf8(line.text);
  if (!value.empty() && (value[0] == u' ' || value[0] == u'\t')) {
    lint.Add(line.line, "lcid-blank-after-equals", Severity::kError,
             "\"" + shown + "\" never matches: the blank after \"=\" belongs to the value");
    return;
  }
  const size_t hex = HexPrefixLength(value);
  if (hex == 0) {
    lint.Add(line.line, "lcid-not-hex", Severity::kError,
             "\"" + shown + "\" never matches: a locale reads as \"0x\" and hexadecimal digits");
    return;
  }
  if (hex < value.size()) {
    lint.Add(line.line, "lcid-trailing-text", Severity::kError,
             "\"" + shown + "\" never matches: the text after the number belongs to the value");
    return;
  }
  if (value.size() > 3 && value[2] == u'0') {
    lint.Add(line.line, "lcid-leading-zero", Severity::kError,
             "\"" + shown + "\" never matches: a locale is written without leading zeros");
    return;
  }
  if (hex > 10) {
    lint.Add(line.line, "lcid-too-long", Severity::kError,
             "\"" + shown + "\" never matches: a locale has at most eight hexadecimal digits");
  }
}

bool HoldsLcidInOtherCase(const WString& text) {
  return UpperCaseAtoZ(text).find(u"LCID") != WString::npos && text.find(u"LCID") == WString::npos;
}

// What the lint keeps from line to line of a table.
struct TableState {
  int bad_header_line = 0;
  int header_line = 0;
  int told_not_a_folder = 0;  // the header line last told to be no folder name
  std::map<WString, std::pair<WString, int>> first_match;  // by the LCID text it matches
};

void CheckOutsideLine(const TableLine& line, const TableState& state, TableLint& lint) {
  if (line.text.find(u"LCID") == WString::npos && !HoldsLcidInOtherCase(line.text)) return;
  lint.Add(line.line, "lcid-outside-section", Severity::kError,
           state.bad_header_line > state.header_line
               ? "this LCID line follows the unclosed \"[\" line " +
                     std::to_string(state.bad_header_line) + " and belongs to no section"
               : "this LCID line stands before the first section and belongs to none");
}

void CheckLcidLine(const TableLine& line, TableState& state, TableLint& lint) {
  CheckLcidValue(line, lint);
  if (state.told_not_a_folder != state.header_line && LeavesItsFolder(line.section)) {
    lint.Add(state.header_line, "language-code-not-a-folder", Severity::kWarning,
             CodeNotAFolderText(line.section));
    state.told_not_a_folder = state.header_line;
  }
  uint32_t lcid = 0;
  if (!ParseLcidValue(LcidValue(line.text), &lcid)) return;
  const WString matches = LcidValue(line.text);
  const auto found = state.first_match.emplace(UpperCaseAtoZ(matches),
                                               std::make_pair(line.section, state.header_line));
  if (!found.second && found.first->second.second != state.header_line) {
    lint.Add(line.line, "lcid-duplicate", Severity::kWarning,
             "LCID " + ToUtf8(matches) + " is also in section [" +
                 ToUtf8(found.first->second.first) + "] at line " +
                 std::to_string(found.first->second.second) + ", which the lookup finds first");
  }
}

}  // namespace

std::vector<Finding> LintLanguageTable(const std::string& bytes, const std::string& file,
                                       SystemInfo& system) {
  std::vector<Finding> findings;
  TableLint lint(file, findings);
  CheckEncoding(bytes, lint);
  TableState state;
  for (const TableLine& line : ScanLanguageTable(bytes, system)) {
    if (line.piece) {
      lint.Add(line.line, "table-line-too-long", Severity::kWarning,
               "the line is longer than 259 characters; the lookup reads it as several lines");
    }
    switch (line.kind) {
      case TableLineKind::kHeader: state.header_line = line.line; break;
      case TableLineKind::kBadHeader: state.bad_header_line = line.line; break;
      case TableLineKind::kOutside: CheckOutsideLine(line, state, lint); break;
      case TableLineKind::kOther:
        if (HoldsLcidInOtherCase(line.text)) {
          lint.Add(line.line, "lcid-lower-case", Severity::kError,
                   "\"" + ToUtf8(line.text) +
                       "\" is not an LCID line: only the capitals \"LCID\" mark one");
        }
        break;
      case TableLineKind::kLcid: CheckLcidLine(line, state, lint); break;
      case TableLineKind::kEmpty:
      case TableLineKind::kComment: break;
    }
  }
  return findings;
}

}  // namespace quill::plan
