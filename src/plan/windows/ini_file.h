#ifndef QUILL_PLAN_WINDOWS_INI_FILE_H_
#define QUILL_PLAN_WINDOWS_INI_FILE_H_

// An INI file read the way the platform's private-profile reader reads it,
// so that a plan made on any host sees the values a run will see:
// - lines end at any run of CR and LF; each line is trimmed of white space,
//   Ctrl-Z counting as white space; empty lines are skipped;
// - a line that starts with "[" and holds a "]" starts a section named by
//   the text up to its last "]"; any other line is a key, with or without
//   "=" (";" marks nothing: a comment is a key that nobody asks for);
// - a key's name is trimmed before "=", its value after it; a key without
//   "=" has no value, and reading it gives the default;
// - lines before the first section belong to a section with an empty name;
// - a section's name is trimmed;
// - names compare without regard to case, and only the first section of a
//   name and the first key of a name in it are ever found;
// - a value in matching quotes loses them, and is cut to the buffer;
// - a NUL character ends a name or value.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "plan/windows/ini_text.h"
#include "platform/wide_string.h"

namespace quill::plan {

struct IniKey {
  WString name;
  bool has_value = false;  // false for a line without "="
  WString value;
  int line = 0;            // 1-based line of the file
};

// Up to so many keys, a section is looked through for a key.
constexpr size_t kFewKeys = 8;

struct IniSection {
  WString name;
  int line = 0;  // of the header; 0 for the lines before the first header
  bool again = false;  // a section of this name came before: never read
  std::vector<IniKey> keys;
  // By lower-case name, where there are more than kFewKeys keys.
  std::unordered_map<WString, size_t> first_key;
};

// White space to the profile reader: tab to carriage return, the space,
// and Ctrl-Z; no other character, not even the no-break space.
bool IsProfileSpace(char16_t c);

class IniFile {
 public:
  static IniFile FromBytes(const std::string& bytes);
  static IniFile FromText(const WString& text, IniEncoding encoding = IniEncoding::kAnsi);

  IniEncoding encoding() const { return encoding_; }
  // In file order; the first one is the unnamed section of the lines
  // before the first header (it has no keys when there are none).
  const std::vector<IniSection>& sections() const { return sections_; }

  // The section the reader searches for `name` (trimmed as the reader trims
  // it), or null.
  const IniSection* FindSection(const WString& name) const;
  const IniKey* FindKey(const WString& section, const WString& key) const;

  // What GetPrivateProfileStringW leaves in a buffer of `buffer_chars`.
  WString GetString(const WString& section, const WString& key, const WString& default_value,
                    size_t buffer_chars) const;
  // The same for a key found before; a key without a value gives the default.
  static WString ValueText(const IniKey* key, const WString& default_value, size_t buffer_chars);

 private:
  void AddLine(const WString& line, int line_number);

  // The name as looked for, in `scratch_`: cut at a NUL, trimmed, lowered.
  const WString& LookupName(const WString& name) const;
  size_t SectionIndex(const WString& name) const;  // sections_.size() when missing

  IniEncoding encoding_ = IniEncoding::kAnsi;
  // A matrix reads a list section and an application section in turn, over
  // and over: the last few names asked for are remembered as written.
  static constexpr size_t kRecentSections = 4;
  mutable WString scratch_;
  mutable WString recent_query_[kRecentSections];
  mutable size_t recent_index_[kRecentSections] = {};
  mutable size_t recent_count_ = 0;
  std::vector<IniSection> sections_;
  std::unordered_map<WString, size_t> first_section_;  // by lower-case name
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_INI_FILE_H_
