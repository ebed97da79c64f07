#include "base/profile_value.h"

#include "base/trim.h"

namespace quill {

namespace {
const WString kNoDefault;  // held once for the whole program
}

WString ReadProfileValue(const WString& section, const WString& key, const WString& ini_path,
                         ProfileReader& profiles, SystemInfo& system) {
  WString value =
      profiles.ReadPrivateProfileString(section, key, kNoDefault, kProfileBufferChars, ini_path);
  // A reader may hand back more than the buffer holds; the buffer decides.
  if (value.size() >= kProfileBufferChars) value.resize(kProfileBufferChars - 1);
  Trim(value, system);
  return value;
}

}  // namespace quill
