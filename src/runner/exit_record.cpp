#include "runner/exit_record.h"

#include <algorithm>

#include "log/run_log.h"
#include "runner/exit_codes.h"

namespace quill {

bool TellExitCode(RunContext& context, AppExitRules& rules, const LaunchResult& result,
                  int32_t tried) {
  if (context.LogExitCodes != 1) return false;
  // Told whatever the outcome: lint promises the log says so.
  if (!rules.unread.empty()) {
    WriteLogRecord(context, LogRecord::kExitCodesUnread, {{rules.unread, rules.section}});
    rules.unread.clear();  // told once, not at every try
  }
  if (result.outcome != LaunchOutcome::Finished) {
    CommitRunLog(context);
    return false;
  }
  const bool busy = std::find(context.BusyCodes.begin(), context.BusyCodes.end(),
                              result.exit_code) != context.BusyCodes.end();
  const bool again = busy && tried <= context.BusyRetries;
  const ExitVerdict verdict =
      again ? ExitVerdict::kBusyTriedAgain : JudgeExitCode(result.exit_code, rules.success_codes);
  WriteLogRecord(context, LogRecord::kExitCode,
                 {{ExitCodeText(result.exit_code), ExitVerdictWords(verdict)}});
  // An installer that restarts the PC itself (1641) may take the program
  // down before the next installer's start commits this; a try again is
  // committed before its pause.
  if (!again) CommitRunLog(context);
  return again;
}

}  // namespace quill
