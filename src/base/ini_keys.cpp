#include "base/ini_keys.h"

#include "base/ascii.h"
#include "base/profile_value.h"

namespace quill {

namespace {

// "APP" and a number as the list's reader writes them: no leading zero.
bool IsAppNumber(const WString& upper) {
  if (upper.size() < 4 || upper.compare(0, 3, u"APP") != 0 || upper[3] == u'0') return false;
  for (size_t i = 3; i < upper.size(); ++i) {
    if (upper[i] < u'0' || upper[i] > u'9') return false;
  }
  return true;
}

bool Matches(const KeyRow& row, const WString& upper) {
  if (row.key == Key::kAppN) return IsAppNumber(upper);
  return UpperCaseAtoZ(row.name) == upper;
}

}  // namespace

bool ReadInPlace(const WString& key, KeyPlace place) {
  const WString upper = UpperCaseAtoZ(key);
  for (const KeyRow& row : kKeyRows) {
    if ((row.places & InPlace(place)) != 0 && Matches(row, upper)) return true;
  }
  return false;
}

bool KnownKey(const WString& key) {
  for (KeyPlace place : {KeyPlace::kSettings, KeyPlace::kMachine, KeyPlace::kApplication}) {
    if (ReadInPlace(key, place)) return true;
  }
  return false;
}

WString ReadKey(Key key, const WString& section, const WString& ini_path, ProfileReader& profiles,
                SystemInfo& system) {
  return ReadProfileValue(section, KeyName(key), ini_path, profiles, system);
}

}  // namespace quill
