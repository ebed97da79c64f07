#include "log/log_record.h"

#include <string>

#include "base/log_stream.h"

namespace quill {

namespace {

const WString kStars(109, u'*');

// One record a line, as the documents' check reads them.
// clang-format off
WString Template(LogRecord record) {
  switch (record) {
    case LogRecord::kBannerFirstLine: return kStars + u"\n";
    case LogRecord::kBannerSecondLine: return u"QUILLRUN starts at: %s %s\n";
    case LogRecord::kBannerThirdLine: return kStars + u"\n\n";
    case LogRecord::kSystemIdentity: return u"SystemID      => %s\n";
    case LogRecord::kOSTypeIdentity: return u"OSType\t\t  => %s\n";
    case LogRecord::kMissingKeyError: return u"ERROR:: \"%s\" was not specified in the Input INI file!\n";
    case LogRecord::kFileOpenError: return u"ERROR:: Error opening %s file!\n";
    case LogRecord::kLocaleLanguage: return u"LCID          => %s\n";
    case LogRecord::kCodeLanguage: return u"Language Code => %s\n\n";
    case LogRecord::kProcessing: return u"Processing: SysID => \"%s\", Application => \"%s\"\n";
    case LogRecord::kLaunched: return u"LAUNCHED => \"%s\"\n";
    case LogRecord::kStart: return u"START:: %s %s\n";
    case LogRecord::kEnd: return u"END  :: %s %s\n";
    case LogRecord::kResultFinished: return u"RESULT   => Command finished in less than %d seconds.\n\n";
    case LogRecord::kResultLaunchFailed: return u"RESULT   => Failed to launch the command.\n\n";
    case LogRecord::kResultTimedOut: return u"RESULT   => Command did not finish in %d seconds.\n\n";
    case LogRecord::kExitCode: return u"EXIT CODE => %s, %s.\n\n";
    case LogRecord::kExitCodesUnread: return u"EXIT CODES   => %s in [%s] does not read: the defaults are used.\n";
    // One line a record, as scripts/check-docs reads them.
    // clang-format off
    case LogRecord::kRestartsUnused: return u"RESTART   => MaxRestarts is not used without LogExitCodes=1.\n";
    case LogRecord::kRestartStop: return u"RESTART   => The run stops for restart %s and resumes after \"%s\".\n\n";
    case LogRecord::kRestartBound: return u"RESTART   => The bound of %s restarts is reached: the run goes on without restarting, and Windows needs a restart.\n\n";
    case LogRecord::kRestartNotRegistered: return u"RESTART   => The resumption cannot be registered: the run goes on without restarting, and Windows needs a restart.\n\n";
    case LogRecord::kRebootStartedEnd: return u"RESTART   => Windows is restarting: the run ends here, and no installer after this one is started.\n\n";
    case LogRecord::kRebootStartedAtBound: return u"RESTART   => Windows is restarting and the bound of %s restarts is reached: the run ends here and does not resume.\n\n";
    case LogRecord::kRestartRefused: return u"RESTART   => Windows refused the restart: the resumption is removed, the run ends here, and Windows needs a restart.\n\n";
    case LogRecord::kRestartFileOnShare: return u"RESTART   => %s %s lies on a share: after the restart the resumption runs it as an administrator, if it is there then (copy it to C: first).\n";
    case LogRecord::kRestartFileUsersWrite: return u"RESTART   => %s %s lies where users may write: after the restart the resumption runs as an administrator whatever they leave there (copy it to a folder only administrators may change).\n";
    case LogRecord::kResume: return u"RESUME    => Restart %s is done: the run resumes after %s.\n\n";
    case LogRecord::kResumeStale: return u"RESUME    => The Input INI file is not as it was at restart %s: the run starts from the top.\n\n";
    case LogRecord::kResumeUnread: return u"RESUME    => The memory of an earlier restart does not read: the run starts from the top.\n\n";
    case LogRecord::kResumeCleared: return u"RESUME    => MaxRestarts is not in force: the memory of an earlier restart is cleared, and the run starts from the top.\n\n";
    case LogRecord::kResumeBeforeRestart: return u"RESUME    => Windows has not restarted since restart %s was asked for: nothing is resumed or started before it has.\n\n";
    case LogRecord::kResumeIniUnread: return u"RESUME    => The Input INI file %s of an earlier restart cannot be read: its memory is cleared, and nothing is resumed.\n\n";
    case LogRecord::kResumeOther: return u"RESUME    => The memory of an earlier restart is of another Input INI file, %s: it is cleared, and the run starts from the top.\n\n";
      // clang-format on
    case LogRecord::kExitSettingClamped:
      return u"EXIT CODES   => %s in [%s] is past its bound: %d is used.\n";
    case LogRecord::kInstalledAlready: return u"DETECTION => Application => \"%s\": installed already, %s: not started.\n\n";
    case LogRecord::kInstalledNothing: return u"DETECTION => installed nothing: %s does not hold.\n\n";
    case LogRecord::kDetectAfterRestart: return u"DETECTION => waiting for the restart: %s does not hold yet.\n\n";
    case LogRecord::kDetectRuleUnread: return u"DETECT RULE  => %s in [%s] does not read: the rule is left out.\n";
    case LogRecord::kInstalledAfterRestart:
      return u"DETECTION => installed after the restart: Application => \"%s\", %s.\n\n";
    case LogRecord::kNothingAfterRestart:
      return u"DETECTION => installed nothing after the restart: Application => \"%s\", %s does "
             u"not hold.\n\n";
    case LogRecord::kHashListUnread:
      return u"SHA-256 LIST => Error reading %s: no installer is started.\n";
    case LogRecord::kHashListLineUnread: return u"SHA-256 LIST => %s, line %d, does not read.\n";
    case LogRecord::kVerified: return u"SHA-256 VERIFIED => %s, line %d of the list.\n";
    case LogRecord::kNotVerified: return u"SHA-256 NOT VERIFIED => %s: %s.\n";
    case LogRecord::kLogCopyUnused: return u"LOG COPY  => LogCopy=%s is not used: %s.\n";
    case LogRecord::kLogCopyFailed:
      return u"LOG COPY  => %s was not written: %s; the next run copies the whole log again.\n\n";
    case LogRecord::kNotInJob:
      return u"JOB OBJECT => The installer is in no job of its own, as %s: the wait is for its own "
             u"process alone.\n\n";
    case LogRecord::kEndedAtLimit:
      return u"STOPPED   => Ended %s at its time limit of %d seconds.\n\n";
    case LogRecord::kNotEndedAtLimit:
      return u"STOPPED   => At its time limit of %d seconds the installer could not be ended: it "
             u"goes on running.\n\n";
    case LogRecord::kInstallerServiceWaited:
      return u"INSTALLER SERVICE => Windows Installer was busy: the installer waited %d seconds "
             u"for it.\n";
    case LogRecord::kInstallerServiceBusy:
      return u"INSTALLER SERVICE => Windows Installer is still busy after %d seconds: the "
             u"installer is started all the same.\n";
  }
  return WString();
}
// clang-format on

WString Decimal(int32_t number) {
  const std::string digits = std::to_string(number);
  return WString(digits.begin(), digits.end());
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

WString FormatLogRecord(LogRecord record, const LogValues& values) {
  const WString pattern = Template(record);
  WString text;
  size_t next_text = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == u's') {
        if (next_text < values.texts.size()) text += values.texts[next_text];
        ++next_text;
        ++i;
        continue;
      }
      if (pattern[i + 1] == u'd') {
        text += Decimal(values.number);
        ++i;
        continue;
      }
    }
    text += pattern[i];
  }
  return text;
}

std::string EncodeLogText(const WString& text) {
  return TranslateLineEnds(EncodeLogCharacters(text));
}

std::string EncodeLogCharacters(const WString& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c <= 0x00FF) {
      bytes += static_cast<char>(c);
    } else {
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      bytes += '?';
    }
  }
  return bytes;
}

}  // namespace quill
