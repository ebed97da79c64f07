#include "plan/windows/ini_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "plan/text/case_fold.h"

namespace quill::plan {

bool IsProfileSpace(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

bool IniChars::contains(char16_t c) const {
  for (size_t i = 0; i < size_; ++i) {
    if ((*this)[i] == c) return true;
  }
  return false;
}

WString IniChars::str() const {
  if (units_ != nullptr) return WString(units_, size_);
  WString text;
  text.reserve(size_);
  for (size_t i = 0; i < size_; ++i) text += (*this)[i];
  return text;
}

bool operator==(const IniChars& a, const IniChars& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

bool EqualIgnoringCase(const IniChars& a, const WString& b) { return EqualFoldingAToZ(a, b); }

namespace {

// The structure of a line is all in ASCII, which a byte of the code page
// and a UTF-16 unit spell alike.
char16_t Unit(char c) { return static_cast<unsigned char>(c); }
char16_t Unit(char16_t c) { return c; }

template <typename Char>
bool IsBreak(Char c) {
  return c == Char('\r') || c == Char('\n');
}

template <typename Char>
bool IsSpace(Char c) {
  return IsProfileSpace(Unit(c));
}

// A name's hash as the reader compares names: A to Z folded.
template <typename Text>
uint32_t NameHash(const Text& name) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < name.size(); ++i) hash = (hash ^ LowerCase(name[i])) * 16777619u;
  return hash;
}

uint32_t Mixed(uint32_t hash) {
  hash ^= hash >> 16;
  hash *= 0x85EBCA6Bu;
  hash ^= hash >> 13;
  hash *= 0xC2B2AE35u;
  return hash ^ (hash >> 16);
}

uint32_t KeyHash(uint32_t name_hash, size_t section) {
  return Mixed(name_hash ^ (static_cast<uint32_t>(section) * 0x9E3779B9u));
}

bool InSection(const IniSection& section, uint32_t key) {
  return key >= section.first_key && key - section.first_key < section.key_count;
}

static_assert(sizeof(IniSection) == 16, "a section is kept in 16 bytes");

}  // namespace

// Open addressing: a slot holds an index and one, or 0; at most half are
// taken, so a probe ends soon. The bits an index does not need hold a part
// of its name's hash, so that a probe reads a name only where that part
// matches: in a large file the names lie far apart, each read a cache miss.
// Not in the anonymous namespace: IniFile's contents hold it.
class IndexTable {
 public:
  // For `entries` indices below `limit`.
  void Reset(size_t entries, size_t limit) {
    size_t size = 1;
    while (size < entries * 2) size *= 2;
    slots_.assign(size, 0);
    int bits = 0;
    while (bits < 32 && (uint64_t{1} << bits) <= limit) ++bits;
    index_mask_ = bits >= 32 ? ~0u : (1u << bits) - 1;
  }
  bool empty() const { return slots_.empty(); }

  // The slot of the first entry `same` accepts, else the free slot that
  // ends the probe.
  template <typename Same>
  size_t Slot(uint32_t hash, Same same) const {
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = Tag(hash);
    size_t slot = Mixed(hash) & mask;
    while (slots_[slot] != 0 &&
           ((slots_[slot] & ~index_mask_) != tag || !same((slots_[slot] & index_mask_) - 1))) {
      slot = (slot + 1) & mask;
    }
    return slot;
  }
  // The index at a slot and one, or 0.
  uint32_t Entry(size_t slot) const { return slots_[slot] & index_mask_; }
  void Set(size_t slot, uint32_t hash, size_t index) {
    slots_[slot] = Tag(hash) | static_cast<uint32_t>(index + 1);
  }

 private:
  uint32_t Tag(uint32_t hash) const { return Mixed(Mixed(hash) ^ 0x9E3779B9u) & ~index_mask_; }

  std::vector<uint32_t> slots_;
  uint32_t index_mask_ = ~0u;
};

namespace {

// The platform hands names and values on as NUL-terminated strings.
WString UpToNul(const WString& text) { return text.substr(0, text.find(u'\0')); }

// A default loses its trailing blanks, but never its first character.
WString StripDefault(const WString& value) {
  size_t end = value.size();
  while (end > 1 && value[end - 1] == u' ') --end;
  return value.substr(0, end);
}

WString Copied(const WString& source, size_t from, size_t count) {
  return source.substr(from, count);
}

WString Copied(const IniChars& source, size_t from, size_t count) {
  WString copied;
  copied.reserve(count);
  for (size_t i = 0; i < count; ++i) copied += source[from + i];
  return copied;
}

template <typename Text>
WString CutToBuffer(const Text& source, size_t buffer_chars) {
  const bool quoted = source.size() >= 2 && (source.front() == u'"' || source.front() == u'\'') &&
                      source.back() == source.front();
  const size_t skip = quoted ? 1 : 0;
  const size_t length = source.size() - skip;
  WString copied = Copied(source, skip, std::min(length, buffer_chars - 1));
  // The closing quote goes only when the whole value fitted; at the very
  // edge this takes the value's last character instead, as the reader does.
  if (quoted && buffer_chars >= length && !copied.empty()) copied.pop_back();
  return copied;
}

// Where a key's value lies: past "=" and white space, up to the end of the
// line less white space, or up to a NUL.
template <typename Char>
std::pair<size_t, size_t> ValueSpan(const Char* text, size_t size, const IniKey& key) {
  size_t at = key.begin + key.name_size;
  while (at < size && text[at] != Char('=')) ++at;
  ++at;
  while (at < size && !IsBreak(text[at]) && IsSpace(text[at])) ++at;
  const size_t begin = at;
  size_t end = at;
  size_t nul = size;
  for (; at < size && !IsBreak(text[at]); ++at) {
    if (text[at] == Char(0) && nul == size) nul = at;
    if (!IsSpace(text[at])) end = at + 1;
  }
  return {begin, std::min(nul, end)};
}

}  // namespace

struct IniFile::Contents {
  IniEncoding encoding = IniEncoding::kAnsi;
  bool utf16_without_mark = false;
  bool too_long = false;
  bool as_bytes = true;  // the text is in `bytes`, else in `units`
  std::string bytes;
  WString units;
  std::vector<int> nul_lines;
  int64_t nul_line_count = 0;
  std::vector<IniKey> keys;  // of every section, in file order
  std::vector<IniSection> sections;
  IndexTable section_table;  // by name
  IndexTable key_table;      // of sections of more than kFewKeys, by section and name
};

namespace {

// Finds the lines, sections and keys of a file's text.
template <typename Char>
class Indexer {
 public:
  Indexer(const Char* text, size_t size, std::vector<IniSection>* sections,
          std::vector<IniKey>* keys)
      : text_(text), size_(size), sections_(*sections), keys_(*keys) {}

  IniChars Chars(size_t begin, size_t size) const { return IniChars(text_ + begin, size); }

  // Counted first, so that the lists are made at their size once.
  void Run(std::vector<int>* nul_lines, int64_t* nul_line_count) {
    size_t sections = 1;
    size_t keys = 0;
    ForEachLine([&](size_t begin, size_t end, int64_t) {
      const Line line = Parse(begin, end);
      sections += line.kind == Line::kHeader;
      keys += line.kind == Line::kKey;
    });
    sections_.reserve(sections);
    keys_.reserve(keys);
    sections_.emplace_back();
    ForEachLine([&](size_t begin, size_t end, int64_t number) {
      if (HoldsNul(begin, end)) {
        if (nul_lines->size() < IniFile::kNulLinesKept)
          nul_lines->push_back(static_cast<int>(number));
        ++*nul_line_count;
      }
      Add(Parse(begin, end));
    });
  }

 private:
  struct Line {
    enum Kind { kEmpty, kHeader, kKey } kind = kEmpty;
    size_t name_begin = 0;
    size_t name_end = 0;
    bool has_value = false;
  };

  // Each line with its 1-based number; a run of line ends counts its
  // physical lines, CR LF as one.
  template <typename Visit>
  void ForEachLine(Visit visit) const {
    int64_t number = 1;
    size_t at = 0;
    while (at < size_) {
      size_t end = at;
      while (end < size_ && !IsBreak(text_[end])) ++end;
      visit(at, end, number);
      at = end;
      while (at < size_ && IsBreak(text_[at])) {
        if (text_[at] == Char('\r') && at + 1 < size_ && text_[at + 1] == Char('\n')) ++at;
        ++at;
        ++number;
      }
    }
  }

  bool HoldsNul(size_t begin, size_t end) const {
    return std::find(text_ + begin, text_ + end, Char(0)) != text_ + end;
  }

  size_t UpToNul(size_t begin, size_t end) const {
    return static_cast<size_t>(std::find(text_ + begin, text_ + end, Char(0)) - text_);
  }

  size_t TrimmedEnd(size_t begin, size_t end) const {
    while (end > begin && IsSpace(text_[end - 1])) --end;
    return end;
  }

  Line Parse(size_t begin, size_t end) const {
    Line line;
    while (begin < end && IsSpace(text_[begin])) ++begin;
    end = TrimmedEnd(begin, end);
    if (begin == end) return line;
    if (text_[begin] == Char('[')) {
      size_t close = end;
      while (close > begin + 1 && text_[close - 1] != Char(']')) --close;
      if (close > begin + 1) {
        size_t name = begin + 1;
        while (name < close - 1 && IsSpace(text_[name])) ++name;
        line.kind = Line::kHeader;
        line.name_begin = name;
        line.name_end = UpToNul(name, TrimmedEnd(name, close - 1));
        return line;
      }
    }
    line.kind = Line::kKey;
    line.name_begin = begin;
    const size_t equals =
        static_cast<size_t>(std::find(text_ + begin, text_ + end, Char('=')) - text_);
    line.has_value = equals < end;
    line.name_end = UpToNul(begin, line.has_value ? TrimmedEnd(begin, equals) : end);
    return line;
  }

  // A section's keys are those after its header.
  void Add(const Line& line) {
    if (line.kind == Line::kHeader) {
      IniSection section;
      section.first_key = static_cast<uint32_t>(keys_.size());
      section.name_begin = static_cast<uint32_t>(line.name_begin);
      section.name_size = static_cast<uint32_t>(line.name_end - line.name_begin);
      sections_.push_back(section);
    } else if (line.kind == Line::kKey) {
      IniKey key;
      key.begin = static_cast<uint32_t>(line.name_begin);
      key.name_size = static_cast<uint32_t>(line.name_end - line.name_begin);
      key.has_value = line.has_value;
      keys_.push_back(key);
      ++sections_.back().key_count;
    }
  }

  const Char* text_;
  size_t size_;
  std::vector<IniSection>& sections_;
  std::vector<IniKey>& keys_;
};

}  // namespace

// Takes a file's bytes, whole or in pieces, into the text it keeps.
class IniFile::Reader {
 public:
  explicit Reader(uint64_t size_hint)
      : contents_(std::make_shared<Contents>()), size_hint_(size_hint) {}

  // What a file's opening tells: the mark, and NUL bytes of UTF-16 without one.
  static constexpr size_t kOpening = 4096;

  void Detect(const std::string& opening) {
    Contents& contents = *contents_;
    contents.encoding = DetectIniEncoding(opening);
    contents.as_bytes = contents.encoding == IniEncoding::kAnsi;
    const uint64_t hint = std::min(size_hint_, kLongestText + 1);
    if (contents.as_bytes) contents.bytes.reserve(static_cast<size_t>(hint));
    if (!contents.as_bytes) contents.units.reserve(static_cast<size_t>(Wide() ? hint / 2 : hint));
    if (contents.encoding != IniEncoding::kAnsi) return;
    const size_t looked = std::min(opening.size(), kOpening) & ~size_t{1};
    // A NUL beside a byte that is none: padding of NUL bytes (a copy cut
    // short, a disk's slack) is no UTF-16, and counts for neither side.
    size_t nul_at[2] = {0, 0};
    for (size_t i = 0; i < looked; ++i) nul_at[i % 2] += opening[i] == '\0' && opening[i ^ 1] != '\0';
    contents.utf16_without_mark = looked >= 4 && (nul_at[0] * 4 > looked || nul_at[1] * 4 > looked);
  }

  void Whole(const std::string& bytes) {
    Detect(bytes);
    if (!contents_->as_bytes) return Keep(DecodeIniText(bytes, contents_->encoding));
    if (bytes.size() > kLongestText) return TooLong();
    contents_->bytes = bytes;
  }

  // Keeps `bytes` up to their last whole line (all of them at the end),
  // leaving the rest.
  void Piece(std::string* bytes, bool at_end) {
    Contents& contents = *contents_;
    if (contents.too_long) return bytes->clear();
    if (contents.as_bytes) {
      if (contents.bytes.size() + bytes->size() > kLongestText) return TooLong();
      contents.bytes += *bytes;
      bytes->clear();
      return;
    }
    // A piece ends after a line feed, which no multi-byte character holds.
    const IniEncoding encoding = contents.encoding;
    size_t end = bytes->size();
    if (!at_end) {
      end = 0;
      for (size_t i = bytes->size(); i-- > 0 && end == 0;) {
        if ((*bytes)[i] != '\n') continue;
        if (encoding == IniEncoding::kUtf8) {
          end = i + 1;
        } else if (encoding == IniEncoding::kUtf16LittleEndian && i % 2 == 0 &&
                   i + 1 < bytes->size() && (*bytes)[i + 1] == '\0') {
          end = i + 2;
        } else if (encoding == IniEncoding::kUtf16BigEndian && i % 2 == 1 &&
                   (*bytes)[i - 1] == '\0') {
          end = i + 1;
        }
      }
      if (end == 0) return;
    }
    // A piece after the first is decoded as if the file's mark stood before it.
    std::string mark;
    if (past_mark_ && encoding == IniEncoding::kUtf8) mark = "\xEF\xBB\xBF";
    if (past_mark_ && encoding == IniEncoding::kUtf16LittleEndian) mark = "\xFF\xFE";
    if (past_mark_ && encoding == IniEncoding::kUtf16BigEndian) mark = "\xFE\xFF";
    Keep(DecodeIniText(mark + bytes->substr(0, end), encoding));
    past_mark_ = true;
    bytes->erase(0, end);
  }

  void Text(const WString& text, IniEncoding encoding) {
    contents_->encoding = encoding;
    contents_->as_bytes = false;
    Keep(text);
  }

  IniFile Finish() {
    Contents& contents = *contents_;
    if (contents.as_bytes) {
      Indexer<char> indexer(contents.bytes.data(), contents.bytes.size(), &contents.sections,
                            &contents.keys);
      indexer.Run(&contents.nul_lines, &contents.nul_line_count);
      MakeTables(indexer);
    } else {
      Indexer<char16_t> indexer(contents.units.data(), contents.units.size(), &contents.sections,
                                &contents.keys);
      indexer.Run(&contents.nul_lines, &contents.nul_line_count);
      MakeTables(indexer);
    }
    return IniFile(std::move(contents_));
  }

 private:
  bool Wide() const {
    return contents_->encoding == IniEncoding::kUtf16LittleEndian ||
           contents_->encoding == IniEncoding::kUtf16BigEndian;
  }

  void Keep(const WString& text) {
    Contents& contents = *contents_;
    if (contents.too_long) return;
    if (contents.units.size() + text.size() > kLongestText) return TooLong();
    contents.units += text;
  }

  void TooLong() {
    Contents& contents = *contents_;
    contents.too_long = true;
    std::string().swap(contents.bytes);
    WString().swap(contents.units);
  }

  // Which section a name finds, and which key of a large section; a section
  // whose name came before is marked, for the reader never reaches it.
  template <typename Index>
  void MakeTables(const Index& indexer) {
    Contents& contents = *contents_;
    std::vector<IniSection>& sections = contents.sections;
    auto name_of = [&](const IniSection& section) {
      return indexer.Chars(section.name_begin, section.name_size);
    };
    contents.section_table.Reset(sections.size(), sections.size());
    size_t large = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
      const IniChars name = name_of(sections[i]);
      const uint32_t hash = NameHash(name);
      const size_t slot = contents.section_table.Slot(hash, [&](uint32_t other) {
        return EqualFoldingAToZ(name, name_of(sections[other]));
      });
      sections[i].again = contents.section_table.Entry(slot) != 0;
      if (!sections[i].again) contents.section_table.Set(slot, hash, i);
      if (!sections[i].again && sections[i].key_count > kFewKeys) large += sections[i].key_count;
    }
    if (large == 0) return;
    // The first key of a name is the one found.
    contents.key_table.Reset(large, contents.keys.size());
    for (size_t i = 0; i < sections.size(); ++i) {
      const IniSection& section = sections[i];
      if (section.again || section.key_count <= kFewKeys) continue;
      for (uint32_t k = section.first_key; k < section.first_key + section.key_count; ++k) {
        const IniKey& key = contents.keys[k];
        const IniChars name = indexer.Chars(key.begin, key.name_size);
        const uint32_t hash = KeyHash(NameHash(name), i);
        const size_t slot = contents.key_table.Slot(hash, [&](uint32_t other) {
          const IniKey& known = contents.keys[other];
          return InSection(section, other) &&
                 EqualFoldingAToZ(name, indexer.Chars(known.begin, known.name_size));
        });
        if (contents.key_table.Entry(slot) == 0) contents.key_table.Set(slot, hash, k);
      }
    }
  }

  std::shared_ptr<Contents> contents_;
  uint64_t size_hint_;
  bool past_mark_ = false;  // the byte-order mark was read
};

IniFile::IniFile() : IniFile(Reader(0).Finish()) {}

IniFile::IniFile(std::shared_ptr<const Contents> contents) : contents_(std::move(contents)) {
  if (contents_->as_bytes) {
    bytes_ = contents_->bytes.data();
  } else {
    units_ = contents_->units.data();
  }
  keys_ = contents_->keys.data();
}

IniFile IniFile::FromBytes(const std::string& bytes) {
  Reader reader(bytes.size());
  reader.Whole(bytes);
  return reader.Finish();
}

IniFile IniFile::FromPieces(const std::function<bool(std::string*)>& next, uint64_t size_hint) {
  Reader reader(size_hint);
  std::string pending;
  std::string piece;
  bool detected = false;
  while (next(&piece)) {
    pending += piece;
    if (!detected && pending.size() < Reader::kOpening) continue;
    if (!detected) reader.Detect(pending);
    detected = true;
    reader.Piece(&pending, false);
  }
  if (!detected) reader.Detect(pending);
  reader.Piece(&pending, true);
  return reader.Finish();
}

IniFile IniFile::FromText(const WString& text, IniEncoding encoding) {
  Reader reader(text.size());
  reader.Text(text, encoding);
  return reader.Finish();
}

bool IniFile::too_long() const { return contents_->too_long; }
IniEncoding IniFile::encoding() const { return contents_->encoding; }
bool IniFile::utf16_without_mark() const { return contents_->utf16_without_mark; }
const std::vector<int>& IniFile::nul_lines() const { return contents_->nul_lines; }
int64_t IniFile::nul_line_count() const { return contents_->nul_line_count; }
const std::vector<IniSection>& IniFile::sections() const { return contents_->sections; }
size_t IniFile::TextSize() const {
  return bytes_ != nullptr ? contents_->bytes.size() : contents_->units.size();
}

IniChars IniFile::Value(const IniKey& key) const {
  if (!key.has_value) return IniChars();
  const std::pair<size_t, size_t> span = bytes_ != nullptr
                                             ? ValueSpan(bytes_, contents_->bytes.size(), key)
                                             : ValueSpan(units_, contents_->units.size(), key);
  return Chars(static_cast<uint32_t>(span.first), static_cast<uint32_t>(span.second - span.first));
}

const WString& IniFile::LookupName(const WString& name) const {
  size_t end = name.find(u'\0');
  if (end == WString::npos) end = name.size();
  size_t begin = 0;
  while (begin < end && IsProfileSpace(name[begin])) ++begin;
  while (end > begin && IsProfileSpace(name[end - 1])) --end;
  scratch_.assign(name, begin, end - begin);
  for (char16_t& c : scratch_) c = LowerCase(c);
  return scratch_;
}

size_t IniFile::SectionIndex(const WString& name) const {
  // Most recent first; a hit moves to the front.
  for (size_t i = 0; i < recent_count_; ++i) {
    if (recent_query_[i] != name) continue;
    const size_t index = recent_index_[i];
    for (size_t j = i; j > 0; --j) {
      recent_query_[j].swap(recent_query_[j - 1]);
      std::swap(recent_index_[j], recent_index_[j - 1]);
    }
    return index;
  }
  const WString& wanted = LookupName(name);
  const std::vector<IniSection>& sections = contents_->sections;
  const IndexTable& table = contents_->section_table;
  const uint32_t found = table.Entry(table.Slot(NameHash(wanted), [&](uint32_t index) {
    return EqualIgnoringCase(Name(sections[index]), wanted);
  }));
  const size_t index = found == 0 ? sections.size() : found - 1;
  recent_count_ = std::min(recent_count_ + 1, kRecentSections);
  for (size_t j = recent_count_ - 1; j > 0; --j) {
    recent_query_[j].swap(recent_query_[j - 1]);
    recent_index_[j] = recent_index_[j - 1];
  }
  recent_query_[0] = name;
  recent_index_[0] = index;
  return index;
}

bool IniFile::HasSection(const WString& name) const {
  const std::vector<IniSection>& sections = contents_->sections;
  const IndexTable& table = contents_->section_table;
  return table.Entry(table.Slot(NameHash(name), [&](uint32_t index) {
           return EqualIgnoringCase(Name(sections[index]), name);
         })) != 0;
}

const IniSection* IniFile::FindSection(const WString& name) const {
  const size_t index = SectionIndex(name);
  return index < contents_->sections.size() ? &contents_->sections[index] : nullptr;
}

namespace {

// A name as the program asks for it needs no trimming and holds no NUL.
bool LooksUpAsWritten(const WString& name) {
  return !name.empty() && !IsProfileSpace(name.front()) && !IsProfileSpace(name.back()) &&
         name.find(u'\0') == WString::npos;
}

}  // namespace

const IniKey* IniFile::FindKey(const WString& section_name, const WString& key_name) const {
  const IniSection* section = FindSection(section_name);
  if (section == nullptr) return nullptr;
  // An application section holds a few keys: they are looked through.
  if (section->key_count <= kFewKeys) {
    const WString& looked_for = LooksUpAsWritten(key_name) ? key_name : LookupName(key_name);
    for (const IniKey& key : Keys(*section)) {
      if (EqualIgnoringCase(Name(key), looked_for)) return &key;
    }
    return nullptr;
  }
  const WString& wanted = LookupName(key_name);
  const std::vector<IniKey>& keys = contents_->keys;
  const IndexTable& table = contents_->key_table;
  if (table.empty()) return nullptr;
  const size_t index = static_cast<size_t>(section - contents_->sections.data());
  const uint32_t found = table.Entry(table.Slot(KeyHash(NameHash(wanted), index), [&](uint32_t other) {
    const IniKey& key = keys[other];
    return InSection(*section, other) && EqualIgnoringCase(Name(key), wanted);
  }));
  return found == 0 ? nullptr : &keys[found - 1];
}

WString IniFile::GetString(const WString& section, const WString& key, const WString& default_value,
                           size_t buffer_chars) const {
  return ValueText(FindKey(section, key), default_value, buffer_chars);
}

WString IniFile::ValueText(const IniKey* key, const WString& default_value,
                           size_t buffer_chars) const {
  if (buffer_chars == 0) return WString();
  if (key != nullptr && key->has_value) return CutToBuffer(Value(*key), buffer_chars);
  return CutToBuffer(StripDefault(UpToNul(default_value)), buffer_chars);
}

IniLines::IniLines(const IniFile& ini) : ini_(ini) {
  const size_t size = ini.TextSize();
  int line = 1;
  for (size_t at = 0; at < size; ++at) {
    if (at % kStride == 0) lines_.push_back(line);
    line += EndsLine(at);
  }
}

bool IniLines::EndsLine(size_t at) const {
  const char16_t c = ini_.Unit(at);
  if (c == u'\n') return true;
  return c == u'\r' && !(at + 1 < ini_.TextSize() && ini_.Unit(at + 1) == u'\n');
}

int IniLines::At(size_t at) const {
  if (lines_.empty()) return 1;
  const size_t from = at / kStride;
  int line = lines_[from];
  for (size_t i = from * kStride; i < at; ++i) line += EndsLine(i);
  return line;
}

int IniLines::Of(const IniSection& section) const {
  return &section == ini_.sections().data() ? 0 : At(section.name_begin);
}

}  // namespace quill::plan
