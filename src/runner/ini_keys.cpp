#include "runner/ini_keys.h"

#include "base/ascii.h"

namespace quill {

const IniKeyPlace kIniKeyPlaces[] = {
    {u"AppInstlPath", KeyPlace::kSettings},
    {u"MaxInstallTime", KeyPlace::kSettings},
    {u"LogFile", KeyPlace::kSettings},
    {u"WaitForExit", KeyPlace::kSettings},
    {u"LogExitCodes", KeyPlace::kSettings},
    {u"BusyCodes", KeyPlace::kSettings},
    {u"BusyRetries", KeyPlace::kSettings},
    {u"BusyRetryPause", KeyPlace::kSettings},
    {u"MaxRestarts", KeyPlace::kSettings},
    {u"HashList", KeyPlace::kSettings},
    {u"NewerWindows", KeyPlace::kSettings},
    {u"LogCopy", KeyPlace::kSettings},
    {u"WaitForChildren", KeyPlace::kSettings},
    {u"StopAtTimeLimit", KeyPlace::kSettings},
    {u"WaitForInstallerService", KeyPlace::kSettings},
    {u"APPn", KeyPlace::kMachine},
    {u"AppPath", KeyPlace::kApplication},
    {u"AppSwitches", KeyPlace::kApplication},
    {u"GlobalSwitches", KeyPlace::kApplication},
    {u"SuccessCodes", KeyPlace::kApplication},
    {u"DetectMsi", KeyPlace::kApplication},
    {u"DetectFile", KeyPlace::kApplication},
    {u"DetectKey", KeyPlace::kApplication},
    {u"WaitForChildren", KeyPlace::kApplication},
    {u"StopAtTimeLimit", KeyPlace::kApplication},
    {u"MaxInstallTime", KeyPlace::kApplication},
};
const size_t kIniKeyPlaceCount = sizeof kIniKeyPlaces / sizeof kIniKeyPlaces[0];

namespace {

// "APP" and a number as the list's reader writes them: no leading zero.
bool IsAppNumber(const WString& upper) {
  if (upper.size() < 4 || upper.compare(0, 3, u"APP") != 0 || upper[3] == u'0') return false;
  for (size_t i = 3; i < upper.size(); ++i) {
    if (upper[i] < u'0' || upper[i] > u'9') return false;
  }
  return true;
}

bool Matches(const IniKeyPlace& row, const WString& upper) {
  if (WString(row.key) == u"APPn") return IsAppNumber(upper);
  return UpperCaseAtoZ(row.key) == upper;
}

}  // namespace

bool ReadInPlace(const WString& key, KeyPlace place) {
  const WString upper = UpperCaseAtoZ(key);
  for (const IniKeyPlace& row : kIniKeyPlaces) {
    if (row.place == place && Matches(row, upper)) return true;
  }
  return false;
}

bool KnownKey(const WString& key) {
  for (KeyPlace place : {KeyPlace::kSettings, KeyPlace::kMachine, KeyPlace::kApplication}) {
    if (ReadInPlace(key, place)) return true;
  }
  return false;
}

}  // namespace quill
