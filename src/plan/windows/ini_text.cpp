#include "plan/windows/ini_text.h"

#include "base/utf.h"

namespace quill::plan {

const char* EncodingName(IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::kAnsi: return "ANSI";
    case IniEncoding::kUtf8: return "UTF-8 with byte-order mark";
    case IniEncoding::kUtf16LittleEndian: return "UTF-16 little-endian";
    case IniEncoding::kUtf16BigEndian: return "UTF-16 big-endian";
  }
  return "";
}

IniEncoding DetectIniEncoding(const std::string& bytes) {
  auto starts = [&](const char* mark, size_t size) { return bytes.compare(0, size, mark, size) == 0; };
  if (bytes.size() >= 3 && starts("\xEF\xBB\xBF", 3)) return IniEncoding::kUtf8;
  if (bytes.size() >= 2 && starts("\xFF\xFE", 2)) return IniEncoding::kUtf16LittleEndian;
  if (bytes.size() >= 2 && starts("\xFE\xFF", 2)) return IniEncoding::kUtf16BigEndian;
  return IniEncoding::kAnsi;
}

char16_t FromWindows1252(unsigned char byte) {
  // 0x80 to 0x9F; the five codes the code page leaves free map to themselves.
  static const char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return (byte >= 0x80 && byte <= 0x9F) ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

namespace {

WString DecodeUtf16(const std::string& bytes, size_t from, bool little_endian) {
  WString text;
  text.reserve((bytes.size() - from) / 2);
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    const unsigned char first = static_cast<unsigned char>(bytes[i]);
    const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(little_endian ? first | (second << 8) : (first << 8) | second);
  }
  return text;
}

}  // namespace

WString DecodeIniText(const std::string& bytes, IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::kUtf8: return FromUtf8(bytes.substr(3));
    case IniEncoding::kUtf16LittleEndian: return DecodeUtf16(bytes, 2, true);
    case IniEncoding::kUtf16BigEndian: return DecodeUtf16(bytes, 2, false);
    case IniEncoding::kAnsi: break;
  }
  WString text;
  text.reserve(bytes.size());
  for (char byte : bytes) text += FromWindows1252(static_cast<unsigned char>(byte));
  return text;
}

}  // namespace quill::plan
