#include "base/utf.h"

namespace quill {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(char32_t c, WString& out) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
    return;
  }
  c -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (c >> 10));
  out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the sequence a lead byte starts and the bits it carries; 0 when
// the byte cannot start one.
int SequenceLength(unsigned char lead, char32_t* bits) {
  if (lead < 0x80) { *bits = lead; return 1; }
  if (lead >= 0xC2 && lead <= 0xDF) { *bits = lead & 0x1F; return 2; }
  if (lead >= 0xE0 && lead <= 0xEF) { *bits = lead & 0x0F; return 3; }
  if (lead >= 0xF0 && lead <= 0xF4) { *bits = lead & 0x07; return 4; }
  return 0;
}

}  // namespace

WString FromUtf8(const std::string& text) {
  WString out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = 0;
    const int length = SequenceLength(static_cast<unsigned char>(text[i]), &c);
    int taken = 1;
    for (; length > 1 && taken < length && i + taken < text.size(); ++taken) {
      const unsigned char next = static_cast<unsigned char>(text[i + taken]);
      if ((next & 0xC0) != 0x80) break;
      c = (c << 6) | (next & 0x3F);
    }
    const bool whole = length > 0 && taken == length;
    const bool shortest = length <= 2 || (length == 3 && c >= 0x800) || (length == 4 && c >= 0x10000);
    const bool scalar = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (whole && shortest && scalar) {
      AppendUtf16(c, out);
      i += taken;
    } else {
      out += static_cast<char16_t>(kReplacement);
      i += 1;
    }
  }
  return out;
}

std::string ToUtf8(const WString& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;
    }
    AppendUtf8(c, out);
  }
  return out;
}

}  // namespace quill
