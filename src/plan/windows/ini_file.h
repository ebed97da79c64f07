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
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "plan/windows/ini_text.h"
#include "platform/wide_string.h"

namespace quill::plan {

struct IniKey {
  WString name;
  WString value;
  int line = 0;            // 1-based line of the file
  bool has_value = false;  // false for a line without "="
};

// Up to so many keys, a section is looked through for a key.
constexpr size_t kFewKeys = 8;

struct IniSection {
  WString name;
  int line = 0;  // of the header; 0 for the lines before the first header
  bool again = false;  // a section of this name came before: never read
  std::vector<IniKey> keys;
  // Where there are more than kFewKeys keys, the keys by the hash of their
  // lower-case name, then by place: a file of
  // millions of keys holds 16 bytes for each, where a hash table of the
  // names held a copy of every name.
  std::vector<std::pair<size_t, size_t>> key_hashes;
};

// White space to the profile reader: tab to carriage return, the space,
// and Ctrl-Z; no other character, not even the no-break space.
bool IsProfileSpace(char16_t c);

class IniFile {
 public:
  static IniFile FromBytes(const std::string& bytes);
  // A file read in pieces, so that its bytes and its whole text are never
  // held beside what is read from them: `next` fills its string with the
  // next piece, and gives false at the end.
  template <typename Next>
  static IniFile FromPieces(Next&& next) {
    IniFile file;
    file.Begin();
    std::string pending;
    std::string piece;
    bool detected = false;
    while (next(&piece)) {
      pending += piece;
      if (!detected && pending.size() < kOpening) continue;
      if (!detected) file.Detect(pending);
      detected = true;
      file.AddBytes(&pending, false);
    }
    if (!detected) file.Detect(pending);
    file.AddBytes(&pending, true);
    file.CloseSection();
    return file;
  }
  static IniFile FromText(const WString& text, IniEncoding encoding = IniEncoding::kAnsi);

  IniEncoding encoding() const { return encoding_; }
  // Read as ANSI, but its opening has a NUL in every other byte: UTF-16
  // saved without its byte-order mark, which the reader takes for ANSI.
  bool utf16_without_mark() const { return utf16_without_mark_; }
  // Lines that hold a NUL character, which ends a name or value early: the
  // first kNulLinesKept of them, and how many in all.
  static constexpr size_t kNulLinesKept = 100;
  const std::vector<int>& nul_lines() const { return nul_lines_; }
  int64_t nul_line_count() const { return nul_line_count_; }
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
  // What Detect looks at: the mark, and NUL bytes of UTF-16 without one.
  static constexpr size_t kOpening = 4096;
  void Begin();
  void Detect(const std::string& opening);
  // Decodes and reads `bytes` up to their last whole line (all of them at
  // the end), leaving the rest.
  void AddBytes(std::string* bytes, bool at_end);
  void AddText(const WString& text);
  void AddLine(const WString& line, int line_number);
  void CloseSection();

  // The name as looked for, in `scratch_`: cut at a NUL, trimmed, lowered.
  const WString& LookupName(const WString& name) const;
  size_t SectionIndex(const WString& name) const;  // sections_.size() when missing

  IniEncoding encoding_ = IniEncoding::kAnsi;
  int line_number_ = 1;
  bool past_mark_ = false;  // the byte-order mark was read
  bool utf16_without_mark_ = false;
  std::vector<int> nul_lines_;
  int64_t nul_line_count_ = 0;
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
