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
  const IniEncoding encoding = DetectIniEncoding(bytes);
  return FromText(DecodeIniText(bytes, encoding), encoding);
}

IniFile IniFile::FromText(const WString& text, IniEncoding encoding) {
  IniFile file;
  file.encoding_ = encoding;
  file.sections_.push_back(IniSection());
  file.first_section_.emplace(WString(), 0);

  int line_number = 1;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    file.AddLine(text.substr(at, end - at), line_number);
    // A run of line ends counts its physical lines: CR LF is one.
    at = end;
    while (at < text.size() && IsLineBreak(text[at])) {
      if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
      ++at;
      ++line_number;
    }
  }
  return file;
}

void IniFile::AddLine(const WString& raw, int line_number) {
  const WString line = TrimSpaces(raw);
  if (line.empty()) return;

  const size_t close = line.rfind(u']');
  if (line.front() == u'[' && close != WString::npos && close > 0) {
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
  IniSection& section = sections_.back();
  section.keys.push_back(std::move(key));
  // A section of a few keys is looked through; a table of them would cost
  // more than the keys in a deployment of many machines.
  if (section.keys.size() == kFewKeys + 1) {
    for (size_t i = 0; i < section.keys.size(); ++i) {
      section.first_key.emplace(LowerCase(section.keys[i].name), i);
    }
  } else if (section.keys.size() > kFewKeys + 1) {
    section.first_key.emplace(LowerCase(section.keys.back().name), section.keys.size() - 1);
  }
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
  const auto found = section->first_key.find(LookupName(key_name));
  return found == section->first_key.end() ? nullptr : &section->keys[found->second];
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
