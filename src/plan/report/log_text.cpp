#include "plan/report/log_text.h"

namespace quill::plan {

LogText LogText::FromWide(const WString& text) {
  std::string narrowed(text.size(), '?');
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 0x100) narrowed[i] = static_cast<char>(text[i]);
  }
  return LogText(narrowed);
}

std::string LogText::Utf8() const {
  std::string utf8;
  utf8.reserve(size());
  for (const char byte : bytes()) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      utf8 += byte;
    } else {
      utf8 += static_cast<char>(0xC0 | c >> 6);
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

WString LogText::Wide() const {
  WString wide(size(), u'\0');
  for (size_t i = 0; i < size(); ++i) wide[i] = static_cast<unsigned char>(bytes()[i]);
  return wide;
}

}  // namespace quill::plan
