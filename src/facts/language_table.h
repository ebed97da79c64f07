#ifndef QUILL_FACTS_LANGUAGE_TABLE_H_
#define QUILL_FACTS_LANGUAGE_TABLE_H_

// The language table: single-byte text in sections named by language codes,
// each with LCID lines. The first section whose LCID line matches wins.
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

constexpr size_t kTableLineChars = 259;

// The lines as a text-mode reader with a 260-character buffer gives them:
// CR LF read as LF, Ctrl-Z ends the text, a NUL ends its line's text, and a
// longer line comes in pieces of 259 characters. Line feeds are kept.
std::vector<WString> ReadTableLines(const std::string& bytes);

// A trimmed line that begins with "[" and ends with "]".
bool IsHeaderLine(const WString& line);
// The text between the first "[" and the first "]" of a header line, trimmed.
WString SectionName(const WString& header, SystemInfo& system);
// The value of an LCID line: what follows its first "=", else the whole line.
WString LcidValue(const WString& line);

// 1 and the section's name in `section` when an LCID line of it equals
// `lcid_text`, folding only A to Z; 0 otherwise.
int FindLanguageSection(const std::string& bytes, const WString& lcid_text, WString* section,
                        SystemInfo& system);

}  // namespace quill

#endif  // QUILL_FACTS_LANGUAGE_TABLE_H_
