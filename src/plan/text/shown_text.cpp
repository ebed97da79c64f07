#include "plan/text/shown_text.h"

#include <cstdio>

namespace quill::plan {

namespace {

// The length of the UTF-8 sequence at `at`, 0 when none stands there.
size_t SequenceAt(const std::string& text, size_t at) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;  // overlong, a surrogate, or past U+10FFFF
  }
  if (lead == 0xC2 && second <= 0x9F) return 0;  // a C1 control
  return length;
}

}  // namespace

size_t Columns(std::string_view utf8) {
  size_t columns = 0;
  for (const char byte : utf8) columns += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return columns;
}

std::string Shown(const std::string& text) {
  // Most text is printable ASCII throughout, and passes as it is.
  size_t plain = 0;
  while (plain < text.size() && static_cast<unsigned char>(text[plain]) >= 0x20 &&
         static_cast<unsigned char>(text[plain]) < 0x7F) {
    ++plain;
  }
  if (plain == text.size()) return text;
  std::string shown;
  shown.reserve(text.size());
  shown.append(text, 0, plain);
  for (size_t at = plain; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7F) {
      shown += text[at++];
      continue;
    }
    const size_t length = c >= 0x80 ? SequenceAt(text, at) : 0;
    if (length > 0) {
      shown.append(text, at, length);
      at += length;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
    shown += escaped;
    ++at;
  }
  return shown;
}

namespace {

void Escape(std::ostream& out, unsigned char c) {
  char escaped[5];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
  out << escaped;
}

}  // namespace

void ShownOutput::Put(unsigned char c) {
  if (after_c2_) {
    after_c2_ = false;
    if (c >= 0x80 && c <= 0x9F) {
      Escape(out_, 0xC2);
      Escape(out_, c);
      return;
    }
    out_.write("\xC2", 1);
  }
  if (c == 0xC2) {
    after_c2_ = true;
  } else if ((c < 0x20 && c != '\n') || c == 0x7F) {
    Escape(out_, c);
  } else {
    const char byte = static_cast<char>(c);
    out_.write(&byte, 1);
  }
}

int ShownOutput::overflow(int c) {
  if (c != traits_type::eof()) Put(static_cast<unsigned char>(c));
  return out_ ? traits_type::not_eof(c) : traits_type::eof();
}

std::streamsize ShownOutput::xsputn(const char* bytes, std::streamsize count) {
  // Plain text goes on in spans: a matrix writes megabytes through here.
  const auto plain = [](unsigned char c) { return (c >= 0x20 || c == '\n') && c != 0x7F && c != 0xC2; };
  std::streamsize at = 0;
  while (at < count) {
    if (after_c2_ || !plain(static_cast<unsigned char>(bytes[at]))) {
      Put(static_cast<unsigned char>(bytes[at++]));
      continue;
    }
    std::streamsize end = at;
    while (end < count && plain(static_cast<unsigned char>(bytes[end]))) ++end;
    out_.write(bytes + at, end - at);
    at = end;
  }
  return out_ ? count : 0;
}

int ShownOutput::sync() { return Drain(); }

int ShownOutput::Drain() {
  if (after_c2_) out_.write("\xC2", 1);
  after_c2_ = false;
  out_.flush();
  return out_ ? 0 : -1;
}

}  // namespace quill::plan
