#include "plan/ini_file.h"

#include "plan/case_fold.h"

namespace quill::plan {

bool IsProfileSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A || c == 0x85 || c == 0xA0 ||
         c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

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

// How a name is looked for: cut at a NUL, trimmed, lower-cased.
WString LookupName(const WString& name) { return LowerCase(TrimSpaces(UpToNul(name))); }

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

  const size_t close = line.find(u']');
  if (line.front() == u'[' && close != WString::npos) {
    IniSection section;
    section.name = UpToNul(line.substr(1, close - 1));
    section.line = line_number;
    first_section_.emplace(LowerCase(section.name), sections_.size());
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
  section.first_key.emplace(LowerCase(key.name), section.keys.size());
  section.keys.push_back(std::move(key));
}

const IniSection* IniFile::FindSection(const WString& name) const {
  const auto found = first_section_.find(LookupName(name));
  return found == first_section_.end() ? nullptr : &sections_[found->second];
}

const IniKey* IniFile::FindKey(const WString& section_name, const WString& key_name) const {
  const IniSection* section = FindSection(section_name);
  if (section == nullptr) return nullptr;
  const auto found = section->first_key.find(LookupName(key_name));
  return found == section->first_key.end() ? nullptr : &section->keys[found->second];
}

WString IniFile::GetString(const WString& section, const WString& key,
                           const WString& default_value, size_t buffer_chars) const {
  if (buffer_chars == 0) return WString();
  const IniKey* found = FindKey(section, key);
  WString value = (found != nullptr && found->has_value) ? found->value
                                                           : StripDefault(UpToNul(default_value));
  const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                      value.back() == value.front();
  if (quoted) value.erase(0, 1);
  WString copied = value.substr(0, buffer_chars - 1);
  // The closing quote goes only when the whole value fitted; at the very
  // edge this takes the value's last character instead, as the reader does.
  if (quoted && buffer_chars >= value.size() && !copied.empty()) copied.pop_back();
  return copied;
}

}  // namespace quill::plan
