#ifndef QUILL_BASE_RUN_CONTEXT_H_
#define QUILL_BASE_RUN_CONTEXT_H_

// What a run has learned, handed from one step to the next. Each field has
// one writer, named beside it; every other step only reads it.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/ini_keys.h"
#include "base/log_stream.h"
#include "platform/wide_string.h"

namespace quill {

constexpr int32_t kDefaultMaxInstallTime = 300;

// Where an installer stands in the walk of a run: pass 0 or 1, stage 1 (the
// common section) or 2 (the machine section), its APP number.
struct WalkPosition {
  int32_t pass = 0;
  int32_t stage = 0;
  int32_t number = 0;
};

// A file's line in the HashList: 64 lower-case hex digits (empty when two
// lines give it different hashes) and the line's number.
struct ListedHash {
  std::string sha256;
  int32_t line = 0;
};

// What the input INI file's [Settings] and the language lookup gave: the
// same on every machine, so a plan reads it once and hands it to each.
struct RunSettings {
  // Each [Settings] key as read (trimmed; empty: not given), by Key.
  std::array<WString, kKeyCount> SettingTexts;  // settings read
  bool NewerWindows = false;                    // run settings: Windows after Vista named too
  WString LcidText;           // language lookup
  WString LanguageCode;       // language lookup
  WString LanguageTablePath;  // run settings
  int32_t MaxInstallTime = kDefaultMaxInstallTime;  // run settings
  // Exit codes are recorded and judged only when the input INI file asks.
  int LogExitCodes = 0;             // run settings
  std::vector<uint32_t> BusyCodes;  // run settings: retried while tries are left
  int32_t BusyRetries = 0;          // run settings: tries after the first
  int32_t BusyRetryPause = 0;       // run settings: seconds between tries
  bool WaitForExit = false;         // run settings
  // The installer's whole tree waited for, what runs at the limit ended, and
  // Windows Installer waited for before an MSI: only when the file asks.
  bool WaitForChildren = false;         // run settings: an application may differ
  bool StopAtTimeLimit = false;         // run settings: an application may differ
  int32_t WaitForInstallerService = 0;  // run settings: seconds at most; 0 off
  // With a HashList, installers start only when their files match it.
  WString HashList;                            // run settings: full path; empty: off
  bool HashListRead = false;                   // run settings
  std::map<WString, ListedHash> ListedHashes;  // run settings: by path key

  const WString& SettingText(Key key) const { return SettingTexts[static_cast<size_t>(key)]; }
};

struct RunContext : RunSettings {
  WString InputIniPath;  // command line
  WString BaseDrive;     // command line
  WString SystemID;      // system identifier
  WString OSType;        // operating-system type
  // A run that meets a reboot verdict restarts Windows and resumes after it.
  int32_t MaxRestarts = 0;   // run sequence: 0 unless LogExitCodes=1
  int32_t RestartsMade = 0;  // run sequence: by this deployment before this run
  WalkPosition ResumeAfter;  // run sequence: the installers up to it ran before
  int RunStopped = 0;        // install pass: 1 once the run ends for a restart
  // With a LogCopy, the whole log is copied there at every end of the run.
  WString LogCopyTarget;  // run settings: expanded, full; empty: no copy

  std::unique_ptr<LogStream> RunLogStream;  // run log
  int LogOpen = 0;                          // run log
  WString LogPath;                          // run log: the path it was opened under
};

}  // namespace quill

#endif  // QUILL_BASE_RUN_CONTEXT_H_
