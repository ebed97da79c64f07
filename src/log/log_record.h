#ifndef QUILL_LOG_LOG_RECORD_H_
#define QUILL_LOG_LOG_RECORD_H_

// The records of the run log, their texts, and the bytes they become.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wide_string.h"

namespace quill {

enum class LogRecord {
  kBannerFirstLine,
  kBannerSecondLine,  // time, date
  kBannerThirdLine,
  kSystemIdentity,   // SystemID
  kOSTypeIdentity,   // OSType
  kMissingKeyError,  // key name
  kFileOpenError,    // LanguageTablePath
  kLocaleLanguage,   // LcidText
  kCodeLanguage,     // LanguageCode
  kProcessing,       // list section, application section
  kLaunched,         // command line
  kStart,            // time, date
  kEnd,              // time, date
  kResultFinished,   // elapsed seconds
  kResultLaunchFailed,
  kResultTimedOut,  // MaxInstallTime
  // Written only when the input INI file asks for exit codes.
  kExitCode,            // code, verdict
  kExitCodesUnread,     // key and value, section
  kExitSettingClamped,  // key and value, section; the bound taken
  // Written only when the input INI file names a HashList.
  kHashListUnread,      // the list's path
  kHashListLineUnread,  // the list's path, line number
  kVerified,            // file, line number
  kNotVerified,         // file, why
  // Written only when the input INI file asks for restarts (and exit codes).
  kRestartsUnused,
  kRestartStop,   // "1 of 2", application section
  kRestartBound,  // bound
  kRestartNotRegistered,
  kRebootStartedEnd,
  kRebootStartedAtBound,  // bound
  kRestartRefused,
  kRestartFileOnShare,     // "The program" or "The Input INI file", its path
  kRestartFileUsersWrite,  // the same
  kResume,                 // "1 of 2", "APP2 of [0xFFFF]"
  kResumeStale,            // "1 of 2"
  kResumeUnread,
  kResumeOther,  // the other input INI file's path
  kResumeCleared,
  kResumeBeforeRestart,  // "1 of 2"
  kResumeIniUnread,      // the input INI file's path

  // Written only for an application with detection rules; their values:
  // application section and rules; a rule; a rule; a key and its value, and
  // the section; after a resume, the application section and the rules that
  // held, or the one that did not.
  kInstalledAlready,
  kInstalledNothing,
  kDetectAfterRestart,
  kDetectRuleUnread,
  kInstalledAfterRestart,
  kNothingAfterRestart,

  // Written only when the input INI file names a LogCopy: its value and why
  // it is not used; the copy's path and why it was not written.
  kLogCopyUnused,
  kLogCopyFailed,

  // Written only when the input INI file asks for the installer's tree, its
  // end at the time limit, or a free Windows Installer; their values: why
  // there is no job; the limit and what was ended; the limit; the seconds.
  kNotInJob,
  kEndedAtLimit,
  kNotEndedAtLimit,
  kInstallerServiceWaited,
  kInstallerServiceBusy,
};
// The last of them: a reader of the log takes every record up to it.
constexpr LogRecord kLastLogRecord = LogRecord::kInstallerServiceBusy;

struct LogValues {
  std::vector<WString> texts;  // for each "%s", in order
  int32_t number = 0;          // for "%d"
};

// The record's text with its values put in; nothing in a value is interpreted.
WString FormatLogRecord(LogRecord record, const LogValues& values);

// The log stream's text: one byte per character up to U+00FF, one "?" for
// any character above (a surrogate pair is one character).
std::string EncodeLogCharacters(const WString& text);

// The bytes that reach the file: those characters, and every line feed
// preceded by a carriage return.
std::string EncodeLogText(const WString& text);

}  // namespace quill

#endif  // QUILL_LOG_LOG_RECORD_H_
