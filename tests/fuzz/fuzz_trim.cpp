// Trim, the one trimming rule for text from outside. The input is UTF-16
// little-endian text; the platform's classification above U+00FF is the
// fake's, which is what Windows says.
#include "base/trim.h"
#include "fake_platform.h"
#include "fuzz_support.h"

using quill::fuzz::Check;

namespace {

bool IsLatin1Space(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  quill::FakePlatform system;
  const quill::WString text =
      quill::fuzz::Utf16(std::string(reinterpret_cast<const char*>(bytes), size));
  auto space = [&system](char16_t c) { return quill::IsWhiteSpace(c, system); };
  for (char16_t c : text) {
    if (c <= 0xFF) Check(space(c) == IsLatin1Space(c), "tab to CR, space and no-break space only");
  }

  quill::WString trimmed = text;
  quill::Trim(trimmed, system);
  size_t begin = 0;
  while (begin < text.size() && space(text[begin])) ++begin;
  Check(text.compare(begin, trimmed.size(), trimmed) == 0, "the inner text is unchanged");
  for (size_t i = begin + trimmed.size(); i < text.size(); ++i) {
    Check(space(text[i]), "only white space is taken from the end");
  }
  Check(trimmed.empty() || (!space(trimmed.front()) && !space(trimmed.back())),
        "no white space is left at either end");
  quill::WString again = trimmed;
  quill::Trim(again, system);
  Check(again == trimmed, "trimming twice changes nothing");
  return 0;
}
