#include "log/run_log.h"

#include "base/ascii.h"
#include "base/ini_keys.h"
#include "base/profile_value.h"
#include "base/settings_reader.h"
#include "log/time_stamp.h"

namespace quill {

const char16_t kDefaultLogPath[] = u"C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG";
const char16_t kLogDirectory[] = u"C:\\SYSTEM.SAV\\UTIL";

WString RunLogPath(const WString& log_file_value) {
  WString path;
  if (log_file_value.empty()) {
    path = kDefaultLogPath;
  } else if (log_file_value.find(u':') == WString::npos) {
    path = u"C:" + log_file_value;
  } else {
    path = log_file_value;
  }
  return UpperCaseAtoZ(path);
}

namespace {

bool OpenLogFile(RunContext& context, Platform& platform) {
  const WString path = RunLogPath(ReadSetting(Key::kLogFile, context, platform, platform));
  if (path.find(kLogDirectory) != WString::npos &&
      platform.GetAttributes(kLogDirectory) == kInvalidFileAttributes) {
    platform.MakeDirectory(kLogDirectory);  // when this fails, the open below fails too
  }

  std::unique_ptr<AppendFile> file = platform.OpenForAppend(path);
  if (!file) {
    context.LogOpen = 0;
    return false;
  }
  context.RunLogStream = std::make_unique<LogStream>(std::move(file));
  context.LogOpen = 1;
  context.LogPath = path;
  return true;
}

}  // namespace

void ReopenRunLog(RunContext& context, Platform& platform) { OpenLogFile(context, platform); }

void OpenRunLog(RunContext& context, Platform& platform) {
  if (!OpenLogFile(context, platform)) return;
  WriteLogRecord(context, LogRecord::kBannerFirstLine);
  WriteStampedRecord(context, LogRecord::kBannerSecondLine, platform);
  WriteLogRecord(context, LogRecord::kBannerThirdLine);
  WriteLogRecord(context, LogRecord::kSystemIdentity, {{context.SystemID}});
  WriteLogRecord(context, LogRecord::kOSTypeIdentity, {{context.OSType}});
}

void WriteLogRecord(RunContext& context, LogRecord record, const LogValues& values) {
  if (context.LogOpen != 1 || !context.RunLogStream) return;
  context.RunLogStream->Write(EncodeLogCharacters(FormatLogRecord(record, values)));
}

void WriteStampedRecord(RunContext& context, LogRecord record, Clock& clock) {
  if (context.LogOpen != 1) return;
  const TimeStamp stamp = ReadTimeStamp(clock);
  WriteLogRecord(context, record, {{stamp.time, stamp.date}});
}

void CommitRunLog(RunContext& context) {
  if (context.LogOpen != 1 || !context.RunLogStream) return;
  context.RunLogStream->Commit();
}

void CloseRunLog(RunContext& context) {
  if (context.LogOpen != 1 || !context.RunLogStream) return;
  context.RunLogStream->Close();
}

}  // namespace quill
