#include "plan/report/log_text.h"

namespace quill::plan {

LogText LogText::FromWide(const WString& text) {
  LogText made;
  made.bytes_.assign(text.size(), '?');
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 0x100) made.bytes_[i] = static_cast<char>(text[i]);
  }
  return made;
}

std::string LogText::Utf8() const {
  std::string utf8;
  utf8.reserve(bytes_.size());
  for (const char byte : bytes_) {
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
  WString wide(bytes_.size(), u'\0');
  for (size_t i = 0; i < bytes_.size(); ++i) wide[i] = static_cast<unsigned char>(bytes_[i]);
  return wide;
}

}  // namespace quill::plan
