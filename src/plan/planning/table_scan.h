#ifndef QUILL_PLAN_PLANNING_TABLE_SCAN_H_
#define QUILL_PLAN_PLANNING_TABLE_SCAN_H_

// The language table line by line, as the lookup sees it, with the file's
// line numbers kept for findings.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill::plan {

enum class TableLineKind {
  kEmpty,
  kHeader,      // starts a section
  kBadHeader,   // begins with "[" but is no header: ends the section
  kComment,     // ";" in a section
  kLcid,        // holds "LCID", in a section
  kOutside,     // any other line outside a section
  kOther,       // any other line in a section
};

struct TableLine {
  int line = 0;         // 1-based line of the file
  bool piece = false;   // a later piece of a line longer than the reader takes at once
  WString text;         // trimmed, as looked at
  TableLineKind kind = TableLineKind::kEmpty;
  bool in_section = false;  // a header line counts as in its own section
  WString section;          // the section's name when in one
};

std::vector<TableLine> ScanLanguageTable(const std::string& bytes, SystemInfo& system);

// "0x" and hexadecimal digits, nothing else; false otherwise.
bool ParseLcidValue(const WString& value, uint32_t* lcid);

struct TableLanguage {
  WString section;
  WString lcid_value;  // as written
  uint32_t lcid = 0;
  int line = 0;
};

// One for each LCID that an LCID line in a section names as the lookup
// matches it (no leading zeros), in file order, the first line of each
// number only: the section a run with that locale finds.
std::vector<TableLanguage> TableLanguages(const std::vector<TableLine>& lines);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_TABLE_SCAN_H_
