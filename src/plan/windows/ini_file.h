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
//
// A deployment's INI file may hold hundreds of thousands of sections, and a
// diff reads two: the text is kept once, as its bytes where the ANSI code
// page gives one character a byte, else as UTF-16, and sections and keys
// are places in it, a few bytes each.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plan/windows/ini_text.h"
#include "platform/wide_string.h"

namespace quill::plan {

// A name or value where the file holds it, read as UTF-16 one character at
// a time. Valid as long as any copy of its IniFile.
class IniChars {
 public:
  IniChars() = default;
  IniChars(const char* bytes, size_t size) : bytes_(bytes), size_(size) {}
  IniChars(const char16_t* units, size_t size) : units_(units), size_(size) {}

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char16_t operator[](size_t i) const {
    if (units_ != nullptr) return units_[i];
    const unsigned char byte = static_cast<unsigned char>(bytes_[i]);
    return byte < 0x80 ? byte : FromWindows1252(byte);
  }
  char16_t front() const { return (*this)[0]; }
  char16_t back() const { return (*this)[size_ - 1]; }
  bool contains(char16_t c) const;
  WString str() const;

 private:
  const char* bytes_ = nullptr;
  const char16_t* units_ = nullptr;
  size_t size_ = 0;
};

bool operator==(const IniChars& a, const IniChars& b);
inline bool operator!=(const IniChars& a, const IniChars& b) { return !(a == b); }
// Folding the letters A to Z only, as the reader compares names.
bool EqualIgnoringCase(const IniChars& a, const WString& b);

// A key is a place in the text, 8 bytes: a deployment's file holds
// millions. Its line is counted when asked (IniLines).
struct IniKey {
  uint32_t begin;  // where its line starts in the text, past white space
  uint32_t name_size : 31;
  uint32_t has_value : 1;  // 0 for a line without "="
};

// A section's keys, in file order (IniFile::Keys).
class IniKeys {
 public:
  IniKeys() = default;
  IniKeys(const IniKey* first, uint32_t count) : first_(first), count_(count) {}
  const IniKey* begin() const { return first_; }
  const IniKey* end() const { return first_ + count_; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const IniKey& front() const { return first_[0]; }
  const IniKey& operator[](size_t i) const { return first_[i]; }

 private:
  const IniKey* first_ = nullptr;
  uint32_t count_ = 0;
};

// Up to so many keys, a section is looked through for a key.
constexpr size_t kFewKeys = 8;

// 16 bytes: a deployment's file holds hundreds of thousands, so its keys
// are a run of the file's list rather than a pointer to them.
struct IniSection {
  uint32_t first_key = 0;  // in the file's list of keys
  uint32_t key_count = 0;
  uint32_t name_begin = 0;  // in the text: trimmed, cut at a NUL
  uint32_t name_size : 31;
  uint32_t again : 1;  // a section of this name came before: never read
  IniSection() : name_size(0), again(0) {}
};

// White space to the profile reader: tab to carriage return, the space,
// and Ctrl-Z; no other character, not even the no-break space.
bool IsProfileSpace(char16_t c);

class IniLines;

class IniFile {
 public:
  IniFile();
  static IniFile FromBytes(const std::string& bytes);
  // A file read in pieces, so that its bytes are never held beside its
  // text: `next` fills its string with the next piece, and gives false at
  // the end. `size_hint`, the file's size where known, spares the text
  // from growing piece by piece.
  static IniFile FromPieces(const std::function<bool(std::string*)>& next, uint64_t size_hint = 0);
  static IniFile FromText(const WString& text, IniEncoding encoding = IniEncoding::kAnsi);

  // Text of more characters than a section or key can point into: such a
  // file is read as empty, and the caller says why.
  static constexpr uint64_t kLongestText = 0x7FFFFFFE;
  bool too_long() const;

  IniEncoding encoding() const;
  // Read as ANSI, but its opening has a NUL in every other byte: UTF-16
  // saved without its byte-order mark, which the reader takes for ANSI.
  bool utf16_without_mark() const;
  // Lines that hold a NUL character, which ends a name or value early: the
  // first kNulLinesKept of them, and how many in all.
  static constexpr size_t kNulLinesKept = 100;
  const std::vector<int>& nul_lines() const;
  int64_t nul_line_count() const;
  // In file order; the first one is the unnamed section of the lines
  // before the first header (it has no keys when there are none).
  const std::vector<IniSection>& sections() const;

  IniChars Name(const IniSection& section) const {
    return Chars(section.name_begin, section.name_size);
  }
  IniChars Name(const IniKey& key) const { return Chars(key.begin, key.name_size); }
  IniKeys Keys(const IniSection& section) const {
    return IniKeys(keys_ + section.first_key, section.key_count);
  }
  // Trimmed, cut at a NUL; empty for a key without "=".
  IniChars Value(const IniKey& key) const;

  // The section the reader searches for `name` (trimmed as the reader trims
  // it), or null.
  const IniSection* FindSection(const WString& name) const;
  const IniKey* FindKey(const WString& section, const WString& key) const;
  // Whether a section has this name as written, untrimmed: its case aside.
  bool HasSection(const WString& name) const;

  // What GetPrivateProfileStringW leaves in a buffer of `buffer_chars`.
  WString GetString(const WString& section, const WString& key, const WString& default_value,
                    size_t buffer_chars) const;
  // The same for a key found before; a key without a value gives the default.
  WString ValueText(const IniKey* key, const WString& default_value, size_t buffer_chars) const;

 private:
  friend class IniLines;
  struct Contents;
  class Reader;
  explicit IniFile(std::shared_ptr<const Contents> contents);
  size_t TextSize() const;
  char16_t Unit(size_t at) const { return bytes_ != nullptr ? bytes_[at] : units_[at]; }

  IniChars Chars(uint32_t begin, uint32_t size) const {
    return bytes_ != nullptr ? IniChars(bytes_ + begin, size) : IniChars(units_ + begin, size);
  }
  // The name as looked for, in `scratch_`: cut at a NUL, trimmed, lowered.
  const WString& LookupName(const WString& name) const;
  size_t SectionIndex(const WString& name) const;  // sections().size() when missing

  // Shared by copies: a planner beside the first reads the same file.
  std::shared_ptr<const Contents> contents_;
  const char* bytes_ = nullptr;      // the text, when it is kept as bytes
  const char16_t* units_ = nullptr;  // else as UTF-16
  const IniKey* keys_ = nullptr;     // of every section, in file order
  // A matrix reads a list section and an application section in turn, over
  // and over: the last few names asked for are remembered as written.
  static constexpr size_t kRecentSections = 4;
  mutable WString scratch_;
  mutable WString recent_query_[kRecentSections];
  mutable size_t recent_index_[kRecentSections] = {};
  mutable size_t recent_count_ = 0;
};

// The 1-based line a key or a header stands on, as lint tells it: the
// reader keeps none, for only what lint finds is asked for. A run of line
// ends counts its physical lines, CR LF as one.
class IniLines {
 public:
  explicit IniLines(const IniFile& ini);
  int Of(const IniKey& key) const { return At(key.begin); }
  // 0 for the lines before the first header.
  int Of(const IniSection& section) const;

 private:
  // The line at every kStride-th place is counted once; a line is counted
  // from the place before it.
  static constexpr size_t kStride = 4096;
  bool EndsLine(size_t at) const;
  int At(size_t at) const;

  const IniFile& ini_;
  std::vector<int> lines_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_INI_FILE_H_
