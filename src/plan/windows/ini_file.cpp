#include "plan/windows/ini_file.h"

#include <algorithm>

#include "plan/windows/case_fold.h"

namespace quill::plan {

bool IsProfileSpace(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

namespace {

WString TrimSpaces(const WString& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsProfileSpace(text[begin])) ++begin;
  while (end > begin && IsProfileSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The platform hands names and values on as NUL-terminated strings.
WString UpToNul(const WString& text) { return text.substr(0, text.find(u'\0')); }

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// A default loses its trailing blanks, but never its first character.
WString StripDefault(const WString& value) {
  size_t end = value.size();
  while (end > 1 && value[end - 1] == u' ') --end;
  return value.substr(0, end);
}

}  // namespace

IniFile IniFile::FromBytes(const std::string& bytes) {
  IniFile file;
  file.Detect(bytes);
  file.Begin();
  file.AddText(DecodeIniText(bytes, file.encoding_));
  file.CloseSection();
  return file;
}

void IniFile::Detect(const std::string& opening) {
  encoding_ = DetectIniEncoding(opening);
  if (encoding_ != IniEncoding::kAnsi) return;
  const size_t looked = std::min(opening.size(), kOpening) & ~size_t{1};
  size_t nul_at[2] = {0, 0};
  for (size_t i = 0; i < looked; ++i) nul_at[i % 2] += opening[i] == '\0';
  utf16_without_mark_ = looked >= 4 && (nul_at[0] * 4 > looked || nul_at[1] * 4 > looked);
}

IniFile IniFile::FromText(const WString& text, IniEncoding encoding) {
  IniFile file;
  file.encoding_ = encoding;
  file.Begin();
  file.AddText(text);
  file.CloseSection();
  return file;
}

void IniFile::Begin() {
  sections_.push_back(IniSection());
  first_section_.emplace(WString(), 0);
}

void IniFile::AddBytes(std::string* bytes, bool at_end) {
  const bool wide = encoding_ == IniEncoding::kUtf16LittleEndian ||
                    encoding_ == IniEncoding::kUtf16BigEndian;
  // A piece ends after a line feed, which no multi-byte character holds.
  size_t end = bytes->size();
  if (!at_end) {
    end = 0;
    for (size_t i = bytes->size(); i-- > 0 && end == 0;) {
      if ((*bytes)[i] != '\n') continue;
      if (!wide) {
        end = i + 1;
      } else if (encoding_ == IniEncoding::kUtf16LittleEndian && i % 2 == 0 && i + 1 < bytes->size() &&
                 (*bytes)[i + 1] == '\0') {
        end = i + 2;
      } else if (encoding_ == IniEncoding::kUtf16BigEndian && i % 2 == 1 && (*bytes)[i - 1] == '\0') {
        end = i + 1;
      }
    }
    if (end == 0) return;
  }
  // A piece after the first is decoded as if the file's mark stood before it.
  std::string mark;
  if (past_mark_ && encoding_ == IniEncoding::kUtf8) mark = "\xEF\xBB\xBF";
  if (past_mark_ && encoding_ == IniEncoding::kUtf16LittleEndian) mark = "\xFF\xFE";
  if (past_mark_ && encoding_ == IniEncoding::kUtf16BigEndian) mark = "\xFE\xFF";
  AddText(DecodeIniText(mark + bytes->substr(0, end), encoding_));
  past_mark_ = true;
  bytes->erase(0, end);
}

void IniFile::AddText(const WString& text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    AddLine(text.substr(at, end - at), line_number_);
    // A run of line ends counts its physical lines: CR LF is one.
    at = end;
    while (at < text.size() && IsLineBreak(text[at])) {
      if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
      ++at;
      ++line_number_;
    }
  }
}

void IniFile::CloseSection() {
  IniSection& section = sections_.back();
  section.keys.shrink_to_fit();
  // A section of a few keys is looked through; a table of them would cost
  // more than the keys in a deployment of many machines.
  if (section.keys.size() <= kFewKeys) return;
  section.key_hashes.reserve(section.keys.size());
  const std::hash<WString> hash;
  for (size_t i = 0; i < section.keys.size(); ++i) {
    section.key_hashes.emplace_back(hash(LowerCase(section.keys[i].name)), i);
  }
  std::sort(section.key_hashes.begin(), section.key_hashes.end());
}

void IniFile::AddLine(const WString& raw, int line_number) {
  if (raw.find(u'\0') != WString::npos) {
    if (nul_lines_.size() < kNulLinesKept) nul_lines_.push_back(line_number);
    ++nul_line_count_;
  }
  const WString line = TrimSpaces(raw);
  if (line.empty()) return;

  const size_t close = line.rfind(u']');
  if (line.front() == u'[' && close != WString::npos && close > 0) {
    CloseSection();
    IniSection section;
    section.name = UpToNul(TrimSpaces(line.substr(1, close - 1)));
    section.line = line_number;
    section.again = !first_section_.emplace(LowerCase(section.name), sections_.size()).second;
    sections_.push_back(std::move(section));
    return;
  }

  IniKey key;
  key.line = line_number;
  const size_t equals = line.find(u'=');
  if (equals == WString::npos) {
    key.name = UpToNul(line);
  } else {
    key.name = UpToNul(TrimSpaces(line.substr(0, equals)));
    key.has_value = true;
    key.value = UpToNul(TrimSpaces(line.substr(equals + 1)));
  }
  sections_.back().keys.push_back(std::move(key));
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
  const auto found = first_section_.find(LookupName(name));
  const size_t index = found == first_section_.end() ? sections_.size() : found->second;
  recent_count_ = std::min(recent_count_ + 1, kRecentSections);
  for (size_t j = recent_count_ - 1; j > 0; --j) {
    recent_query_[j].swap(recent_query_[j - 1]);
    recent_index_[j] = recent_index_[j - 1];
  }
  recent_query_[0] = name;
  recent_index_[0] = index;
  return index;
}

const IniSection* IniFile::FindSection(const WString& name) const {
  const size_t index = SectionIndex(name);
  return index < sections_.size() ? &sections_[index] : nullptr;
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
  if (section->keys.size() <= kFewKeys) {
    if (LooksUpAsWritten(key_name)) {
      for (const IniKey& key : section->keys) {
        if (EqualIgnoringCase(key.name, key_name)) return &key;
      }
      return nullptr;
    }
    const WString& looked_for = LookupName(key_name);
    for (const IniKey& key : section->keys) {
      if (LowerCase(key.name) == looked_for) return &key;
    }
    return nullptr;
  }
  const WString& wanted = LookupName(key_name);
  const size_t hash = std::hash<WString>()(wanted);
  for (auto it = std::lower_bound(section->key_hashes.begin(), section->key_hashes.end(),
                                  std::make_pair(hash, size_t{0}));
       it != section->key_hashes.end() && it->first == hash; ++it) {
    const IniKey& key = section->keys[it->second];
    if (EqualIgnoringCase(key.name, wanted)) return &key;
  }
  return nullptr;
}

WString IniFile::GetString(const WString& section, const WString& key,
                           const WString& default_value, size_t buffer_chars) const {
  return ValueText(FindKey(section, key), default_value, buffer_chars);
}

WString IniFile::ValueText(const IniKey* key, const WString& default_value, size_t buffer_chars) {
  if (buffer_chars == 0) return WString();
  const bool found = key != nullptr && key->has_value;
  const WString stripped = found ? WString() : StripDefault(UpToNul(default_value));
  const WString& source = found ? key->value : stripped;
  const bool quoted = source.size() >= 2 && (source.front() == u'"' || source.front() == u'\'') &&
                      source.back() == source.front();
  const size_t skip = quoted ? 1 : 0;
  const size_t length = source.size() - skip;
  WString copied(source, skip, std::min(length, buffer_chars - 1));
  // The closing quote goes only when the whole value fitted; at the very
  // edge this takes the value's last character instead, as the reader does.
  if (quoted && buffer_chars >= length && !copied.empty()) copied.pop_back();
  return copied;
}

}  // namespace quill::plan
