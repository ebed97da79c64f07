// A log record's text and the bytes it becomes. The provider picks the
// record, its number and two values (UTF-16 little-endian).
#include <string>

#include "fuzz_support.h"
#include "log/log_record.h"

using quill::fuzz::Check;

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  const auto record = static_cast<quill::LogRecord>(
      data.ConsumeIntegralInRange<int>(0, static_cast<int>(quill::LogRecord::kExitCodesUnread)));
  quill::LogValues values;
  values.number = data.ConsumeIntegral<int32_t>();
  values.texts.push_back(quill::fuzz::Utf16(data.ConsumeRandomLengthString(600)));
  values.texts.push_back(quill::fuzz::Utf16(data.ConsumeRandomLengthString(600)));

  const quill::WString text = quill::FormatLogRecord(record, values);
  Check(!text.empty() && text.back() == u'\n', "a record keeps its line end");
  // Values go in whole and are never read as patterns: the text is the
  // empty record's and the values that it takes, nothing else.
  const quill::WString marked = quill::FormatLogRecord(record, {{u"\x01", u"\x02"}, 0});
  const size_t bare = quill::FormatLogRecord(record, {{}, 0}).size();
  size_t taken = 0;
  for (size_t k = 0; k < 2; ++k) {
    if (marked.find(static_cast<char16_t>(k + 1)) == quill::WString::npos) continue;
    Check(text.find(values.texts[k]) != quill::WString::npos, "a value goes in whole");
    taken += values.texts[k].size();
  }
  if (marked != quill::FormatLogRecord(record, {{u"\x01", u"\x02"}, 1})) {
    taken += std::to_string(values.number).size() - 1;  // in place of "0"
  }
  Check(text.size() == bare + taken, "nothing but the values is added");

  // Bytes: Latin-1 as is, one "?" for anything above (a surrogate pair is
  // one character), CR before every line feed, and nothing else.
  const std::string encoded = quill::EncodeLogText(text);
  size_t at = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\n') {
      Check(encoded.compare(at, 2, "\r\n") == 0, "a line feed becomes CR LF");
      at += 2;
      continue;
    }
    Check(at < encoded.size(), "no character is lost");
    if (c <= 0xFF) {
      Check(static_cast<unsigned char>(encoded[at]) == c, "Latin-1 stays as it is");
    } else {
      Check(encoded[at] == '?', "a character above U+00FF is one question mark");
      if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
    }
    ++at;
  }
  Check(at == encoded.size(), "nothing is added");
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\n') Check(i > 0 && encoded[i - 1] == '\r', "every line feed has its CR");
  }
  Check(encoded.size() >= 2 && encoded.compare(encoded.size() - 2, 2, "\r\n") == 0,
        "the bytes end with the record's CR LF");
  return 0;
}
