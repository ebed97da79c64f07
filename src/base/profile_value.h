#ifndef QUILL_BASE_PROFILE_VALUE_H_
#define QUILL_BASE_PROFILE_VALUE_H_

// The one way an INI value is read: through a 260-character buffer, with an
// empty default, then trimmed. Empty means not given.
#include <cstddef>

#include "platform/profile_reader.h"
#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

constexpr size_t kProfileBufferChars = 260;

WString ReadProfileValue(const WString& section, const WString& key, const WString& ini_path,
                         ProfileReader& profiles, SystemInfo& system);

}  // namespace quill

#endif  // QUILL_BASE_PROFILE_VALUE_H_
