#ifndef QUILL_PLATFORM_PROFILE_READER_H_
#define QUILL_PLATFORM_PROFILE_READER_H_

// Why: INI values are read by the platform's private-profile reader, whose
// quirks (case-insensitive names, values cut to the buffer) the run relies on.
#include <cstddef>

#include "platform/wide_string.h"

namespace quill {

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;

  // The value of `key` in `section` of the INI file at `path`, cut to
  // `buffer_chars` - 1 characters; `default_value` when anything is missing.
  virtual WString ReadPrivateProfileString(const WString& section, const WString& key,
                                           const WString& default_value, size_t buffer_chars,
                                           const WString& path) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_PROFILE_READER_H_
