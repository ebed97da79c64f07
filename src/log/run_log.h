#ifndef QUILL_LOG_RUN_LOG_H_
#define QUILL_LOG_RUN_LOG_H_

// The run log: placed by the LogFile setting, appended to by every run, and
// written only while it is open. It never reports its own failures.
#include "base/run_context.h"
#include "log/log_record.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

extern const char16_t kDefaultLogPath[];
extern const char16_t kLogDirectory[];

// The upper-case path the log is opened under, for a trimmed LogFile value.
WString RunLogPath(const WString& log_file_value);

// Places and opens the log, then writes the banner and the identity records.
// LogOpen tells whether it worked.
void OpenRunLog(RunContext& context, Platform& platform);

// Writes the record while LogOpen is 1; does nothing otherwise.
void WriteLogRecord(RunContext& context, LogRecord record, const LogValues& values = {});

// For the records that carry a time stamp: reads the clock now.
void WriteStampedRecord(RunContext& context, LogRecord record, Clock& clock);

// Every record written so far into the file and onto the disk: a run cut
// short while an installer works keeps its account up to that installer.
void CommitRunLog(RunContext& context);

void CloseRunLog(RunContext& context);

// The closed log opened again, without a banner, for what can be told only
// after the close (Windows refused the restart asked for then).
void ReopenRunLog(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_LOG_RUN_LOG_H_
