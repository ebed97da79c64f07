#include "plan/text/json_text.h"

#include <cstdio>

namespace quill::plan {

namespace {

// The control at `at` of valid UTF-8 text and its length, or 0: JSON's
// own structure is ASCII, so such a character stands inside a string.
size_t ControlAt(const std::string& text, size_t at, unsigned* code) {
  const auto byte = [&text](size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  const unsigned lead = byte(at);
  if (lead == 0x7F) {
    *code = lead;
    return 1;
  }
  if (lead == 0xC2 && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9F) {
    *code = byte(at + 1);
    return 2;
  }
  if (lead == 0xD8 && byte(at + 1) == 0x9C) {
    *code = 0x061C;
    return 2;
  }
  if (lead == 0xE2 && (byte(at + 1) == 0x80 || byte(at + 1) == 0x81)) {
    const unsigned c = 0x2000 | ((byte(at + 1) & 0x3F) << 6) | (byte(at + 2) & 0x3F);
    if (c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) {
      *code = c;
      return 3;
    }
  }
  return 0;
}

}  // namespace

std::string TerminalSafeJson(std::string dumped) {
  size_t at = 0;
  while (at < dumped.size() && static_cast<unsigned char>(dumped[at]) < 0x7F) ++at;
  if (at == dumped.size()) return dumped;
  std::string safe(dumped, 0, at);
  while (at < dumped.size()) {
    unsigned code = 0;
    const size_t length = ControlAt(dumped, at, &code);
    if (length == 0) {
      safe += dumped[at++];
      continue;
    }
    char escaped[7];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
    safe += escaped;
    at += length;
  }
  return safe;
}

}  // namespace quill::plan
