#ifndef QUILL_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define QUILL_TESTS_FUZZ_FUZZ_SUPPORT_H_

// What the fuzz targets share: a property that fails stops the run with its
// name, so libFuzzer keeps the input; and ways to make text from the bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wide_string.h"

namespace quill::fuzz {

inline void Check(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

// Bytes as UTF-16 little-endian text; an odd last byte is dropped.
inline WString Utf16(const std::string& bytes) {
  WString text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return text;
}

inline WString Latin1(const std::string& bytes) {
  WString text;
  for (char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return text;
}

// Text made of the given pieces, chosen by the provider's bytes: far more
// likely than random bytes to hold the words a parser looks for.
inline WString FromPieces(FuzzedDataProvider& data, const std::vector<WString>& pieces,
                          size_t most) {
  WString text;
  const size_t count = data.ConsumeIntegralInRange<size_t>(0, most);
  for (size_t i = 0; i < count && data.remaining_bytes() > 0; ++i) {
    text += pieces[data.ConsumeIntegralInRange<size_t>(0, pieces.size() - 1)];
  }
  return text;
}

}  // namespace quill::fuzz

#endif  // QUILL_TESTS_FUZZ_FUZZ_SUPPORT_H_
