#include "runner/log_copy.h"

#include <string>
#include "base/ini_keys.h"
#include "base/settings_reader.h"

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/application_command.h"

namespace quill {

const char16_t kLogCopyPartSuffix[] = u".quillrun-copy";

WString LogCopyTarget(const WString& value, InstalledState& environment, WString* why) {
  for (const WString& name : NamedVariables(value)) {
    const WString written = u"%" + name + u"%";
    if (environment.ExpandEnvironment(written) == written) {
      *why = written + u" is not set";
      return WString();
    }
  }
  const WString target =
      value.find(u'%') == WString::npos ? value : environment.ExpandEnvironment(value);
  const bool names_a_file = !target.empty() && target.back() != u'\\' && target.back() != u'/';
  if (!IsFullWindowsPath(target) || !names_a_file) {
    *why = u"it is not the full path of a file";
    return WString();
  }
  return target;
}

WString CopyFailureWords(const CopyOutcome& outcome) {
  switch (outcome.failure) {
    case CopyFailure::kNone: return u"nothing failed";
    case CopyFailure::kSourceUnreadable: return u"the local log cannot be read";
    case CopyFailure::kFolderMissing: return u"the folder cannot be found";
    case CopyFailure::kAccessDenied: return u"access is denied";
    case CopyFailure::kInUse: return u"the file is in use";
    case CopyFailure::kDiskFull: return u"the disk is full";
    case CopyFailure::kNetwork: return u"the network failed";
    case CopyFailure::kPathTooLong: return u"the path is too long";
    case CopyFailure::kTimedOut: break;
    case CopyFailure::kOther: {
      const std::string number = std::to_string(outcome.system_error);
      return u"Windows error " + WString(number.begin(), number.end());
    }
  }
  const std::string seconds = std::to_string(kLogCopySeconds);
  return u"no answer within " + WString(seconds.begin(), seconds.end()) + u" seconds";
}

void ReadLogCopy(RunContext& context, Platform& platform) {
  const WString value = ReadSetting(Key::kLogCopy, context, platform, platform);
  if (value.empty() || context.LogOpen != 1) return;  // no log, nothing to copy
  WString why;
  context.LogCopyTarget = LogCopyTarget(value, platform, &why);
  if (context.LogCopyTarget.empty())
    WriteLogRecord(context, LogRecord::kLogCopyUnused, {{value, why}});
}

void CloseAndCopyRunLog(RunContext& context, Platform& platform) {
  CloseRunLog(context);
  if (context.LogCopyTarget.empty()) return;
  const WString& target = context.LogCopyTarget;
  const CopyOutcome outcome = platform.CopyWhole(context.LogPath, target + kLogCopyPartSuffix,
                                                 target, kLogCopySeconds * 1000);
  if (outcome.failure == CopyFailure::kNone) return;
  std::unique_ptr<AppendFile> file = platform.OpenForAppend(context.LogPath);
  if (!file) return;  // the log went away: nothing can tell it
  context.RunLogStream = std::make_unique<LogStream>(std::move(file));
  WriteLogRecord(context, LogRecord::kLogCopyFailed, {{target, CopyFailureWords(outcome)}});
  CloseRunLog(context);
}

}  // namespace quill
