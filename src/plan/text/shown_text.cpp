#include "plan/text/shown_text.h"

#include <cstdio>

namespace quill::plan {

namespace {

constexpr size_t kUnfinished = static_cast<size_t>(-1);

// The length of the UTF-8 sequence at `at`, 0 when none stands there, or
// kUnfinished where the text ends inside one.
size_t SequenceAt(std::string_view text, size_t at) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0) return 0;
  for (size_t i = 1; i < length; ++i) {
    if (at + i == text.size()) return kUnfinished;
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;  // overlong, a surrogate, or past U+10FFFF
  }
  return length;
}

// What a terminal may be given at `at`: the length of a printable
// character, 0 for a byte to escape, or kUnfinished. Controls are escaped:
// C0, DEL, C1, and the bidirectional ones (U+061C, U+200E, U+200F, U+202A
// to U+202E, U+2066 to U+2069), which would show a name backwards.
size_t ShowableAt(std::string_view text, size_t at, bool keep_line_feeds) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return (lead >= 0x20 && lead < 0x7F) || (keep_line_feeds && lead == '\n') ? 1 : 0;
  const size_t length = SequenceAt(text, at);
  if (length == 0 || length == kUnfinished) return length;
  const unsigned char second = byte(at + 1);
  if (lead == 0xC2 && second <= 0x9F) return 0;  // a C1 control
  if (lead == 0xD8 && second == 0x9C) return 0;  // U+061C
  if (lead == 0xE2) {
    const unsigned char third = byte(at + 2);
    if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) return 0;
    if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return 0;
  }
  return length;
}

// `text` made safe onto `shown`; the bytes taken, which are all of them
// when `whole`, else those before a sequence the text ends inside.
size_t AppendShown(std::string_view text, bool keep_line_feeds, bool whole, std::string* shown) {
  size_t at = 0;
  while (at < text.size()) {
    // Most text is printable ASCII, and passes in spans.
    size_t plain = at;
    while (plain < text.size() && static_cast<unsigned char>(text[plain]) >= 0x20 &&
           static_cast<unsigned char>(text[plain]) < 0x7F) {
      ++plain;
    }
    shown->append(text, at, plain - at);
    at = plain;
    if (at == text.size()) break;
    size_t length = ShowableAt(text, at, keep_line_feeds);
    if (length == kUnfinished) {
      if (!whole) return at;
      length = 0;
    }
    if (length > 0) {
      shown->append(text, at, length);
      at += length;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[at]));
    *shown += escaped;
    ++at;
  }
  return at;
}

}  // namespace

size_t Columns(std::string_view utf8) {
  size_t columns = 0;
  for (const char byte : utf8) columns += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return columns;
}

std::string ValidUtf8(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
  if (at == text.size()) return text;
  std::string valid(text, 0, at);
  while (at < text.size()) {
    const size_t length = SequenceAt(text, at);
    if (length == 0 || length == kUnfinished) {
      valid += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
    valid.append(text, at, length);
    at += length;
  }
  return valid;
}

std::string Shown(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  AppendShown(text, false, true, &shown);
  return shown;
}

int ShownOutput::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  const char byte = static_cast<char>(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

// A sequence cut by the writes waits for its last bytes.
std::streamsize ShownOutput::xsputn(const char* bytes, std::streamsize count) {
  pending_.append(bytes, static_cast<size_t>(count));
  shown_.clear();
  pending_.erase(0, AppendShown(pending_, true, false, &shown_));
  out_.write(shown_.data(), static_cast<std::streamsize>(shown_.size()));
  return out_ ? count : 0;
}

// A character a write cut waits for its last bytes, also over a flush;
// only the end of the output shows it as cut.
int ShownOutput::sync() {
  out_.flush();
  return out_ ? 0 : -1;
}

int ShownOutput::Drain() {
  shown_.clear();
  AppendShown(pending_, true, true, &shown_);
  pending_.clear();
  out_.write(shown_.data(), static_cast<std::streamsize>(shown_.size()));
  out_.flush();
  return out_ ? 0 : -1;
}

}  // namespace quill::plan
