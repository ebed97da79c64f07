#ifndef QUILL_BASE_INI_KEYS_H_
#define QUILL_BASE_INI_KEYS_H_

// Every key the program reads in the input INI file, and the one way each is
// read. A key's name is written here and nowhere else.
//
// A new key: its name in Key and its row in kKeyRows, at the same place
// (where it stands, its form and bounds, its default, and, when an
// application may give its own value, the [Settings] key whose presence puts
// that value in force: usually the key itself). Its value goes in a field
// of RunSettings (base/run_context.h), filled in ReadRunSettings
// (runner/run_settings.cpp); an application's own value is ReadOwnValue.
// Then its row in docs/quillrun.md's key tables, which a test holds here.
#include <cstddef>
#include <cstdint>

#include "platform/profile_reader.h"
#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

enum class Key : uint8_t {
  kAppInstlPath,
  kMaxInstallTime,
  kLogFile,
  kWaitForExit,
  kLogExitCodes,
  kBusyCodes,
  kBusyRetries,
  kBusyRetryPause,
  kMaxRestarts,
  kHashList,
  kNewerWindows,
  kLogCopy,
  kWaitForChildren,
  kStopAtTimeLimit,
  kWaitForInstallerService,
  kAppN,  // APP1, APP2, ... of a machine section
  kAppPath,
  kAppSwitches,
  kGlobalSwitches,
  kSuccessCodes,
  kDetectMsi,
  kDetectFile,
  kDetectKey,
  kNone,  // no key: a row whose application value needs no [Settings] key
};
constexpr size_t kKeyCount = static_cast<size_t>(Key::kNone);

enum class KeyPlace : uint8_t { kSettings, kMachine, kApplication };
constexpr uint8_t InPlace(KeyPlace place) {
  return static_cast<uint8_t>(1u << static_cast<int>(place));
}
constexpr uint8_t kInSettings = InPlace(KeyPlace::kSettings);
constexpr uint8_t kInMachine = InPlace(KeyPlace::kMachine);
constexpr uint8_t kInApplication = InPlace(KeyPlace::kApplication);

enum class KeyForm : uint8_t {
  kText,     // taken as written
  kPath,     // a file or folder; relative ones as the key tells
  kSwitch,   // 1 on, 0 off, anything else as not given
  kNumber,   // a whole number, read as the runtime reads one, in least..most
  kCount,    // digits only; past most counts as most, told
  kCodes,    // a list of exit codes
  kSection,  // the name of an application's section
};

struct KeyRow {
  Key key;
  const char16_t* name;  // "APPn" stands for APP1, APP2, ...
  uint8_t places;        // kInSettings | kInMachine | kInApplication
  KeyForm form;
  int64_t least, most;           // kNumber and kCount only
  const char16_t* default_text;  // as docs/quillrun.md gives it
  // An application's own value is read only when [Settings] gives one of
  // these (kNone: always, where the application may give it).
  Key gate = Key::kNone;
  Key gate_too = Key::kNone;
};

// In the order of Key.
inline constexpr KeyRow kKeyRows[] = {
    {Key::kAppInstlPath, u"AppInstlPath", kInSettings, KeyForm::kPath, 0, 0, u""},
    {Key::kMaxInstallTime, u"MaxInstallTime", kInSettings | kInApplication, KeyForm::kNumber,
     INT32_MIN, INT32_MAX, u"300", Key::kWaitForChildren, Key::kStopAtTimeLimit},
    {Key::kLogFile, u"LogFile", kInSettings, KeyForm::kPath, 0, 0, u""},
    {Key::kWaitForExit, u"WaitForExit", kInSettings, KeyForm::kSwitch, 0, 1, u"0"},
    {Key::kLogExitCodes, u"LogExitCodes", kInSettings, KeyForm::kSwitch, 0, 1, u"0"},
    {Key::kBusyCodes, u"BusyCodes", kInSettings, KeyForm::kCodes, 0, UINT32_MAX, u"1618"},
    {Key::kBusyRetries, u"BusyRetries", kInSettings, KeyForm::kCount, 0, 10, u"0"},
    {Key::kBusyRetryPause, u"BusyRetryPause", kInSettings, KeyForm::kCount, 0, 3600, u"60"},
    {Key::kMaxRestarts, u"MaxRestarts", kInSettings, KeyForm::kCount, 0, 10, u"0"},
    {Key::kHashList, u"HashList", kInSettings, KeyForm::kPath, 0, 0, u""},
    {Key::kNewerWindows, u"NewerWindows", kInSettings, KeyForm::kSwitch, 0, 1, u"0"},
    {Key::kLogCopy, u"LogCopy", kInSettings, KeyForm::kPath, 0, 0, u""},
    {Key::kWaitForChildren, u"WaitForChildren", kInSettings | kInApplication, KeyForm::kSwitch, 0,
     1, u"0", Key::kWaitForChildren},
    {Key::kStopAtTimeLimit, u"StopAtTimeLimit", kInSettings | kInApplication, KeyForm::kSwitch, 0,
     1, u"0", Key::kStopAtTimeLimit},
    {Key::kWaitForInstallerService, u"WaitForInstallerService", kInSettings, KeyForm::kCount, 0,
     3600, u"0"},
    {Key::kAppN, u"APPn", kInMachine, KeyForm::kSection, 0, 0, u""},
    {Key::kAppPath, u"AppPath", kInApplication, KeyForm::kPath, 0, 0, u""},
    {Key::kAppSwitches, u"AppSwitches", kInApplication, KeyForm::kText, 0, 0, u""},
    {Key::kGlobalSwitches, u"GlobalSwitches", kInApplication, KeyForm::kText, 0, 0, u""},
    {Key::kSuccessCodes, u"SuccessCodes", kInApplication, KeyForm::kCodes, 0, UINT32_MAX,
     u"0 1707 3010 1641", Key::kLogExitCodes},
    {Key::kDetectMsi, u"DetectMsi", kInApplication, KeyForm::kText, 0, 0, u""},
    {Key::kDetectFile, u"DetectFile", kInApplication, KeyForm::kPath, 0, 0, u""},
    {Key::kDetectKey, u"DetectKey", kInApplication, KeyForm::kText, 0, 0, u""},
};
static_assert(sizeof kKeyRows / sizeof kKeyRows[0] == kKeyCount, "a row for every Key");

constexpr const KeyRow& RowOf(Key key) { return kKeyRows[static_cast<size_t>(key)]; }
constexpr const char16_t* KeyName(Key key) { return RowOf(key).name; }
constexpr int32_t MostOf(Key key) { return static_cast<int32_t>(RowOf(key).most); }

constexpr char16_t kSettingsSection[] = u"Settings";

// Whether the run reads the key (any case) in that kind of section; an
// APP<number> key counts as APPn.
bool ReadInPlace(const WString& key, KeyPlace place);

// Whether the run reads the key in any section.
bool KnownKey(const WString& key);

// The one read of a key: its value in the section, trimmed; empty when not given.
WString ReadKey(Key key, const WString& section, const WString& ini_path, ProfileReader& profiles,
                SystemInfo& system);

}  // namespace quill

#endif  // QUILL_BASE_INI_KEYS_H_
