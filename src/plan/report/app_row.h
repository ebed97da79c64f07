#ifndef QUILL_PLAN_REPORT_APP_ROW_H_
#define QUILL_PLAN_REPORT_APP_ROW_H_

// One application of a run as its records tell it.
#include <cstdint>
#include <optional>

#include "plan/report/log_text.h"
#include "runner/exit_codes.h"

namespace quill::plan {

struct StampRead {
  // "09:05:03 Sunday, December 06, 2026" as written, kept only when it does
  // not read as a time: a log of millions of stamps copies none of them.
  LogText text;
  std::optional<int64_t> seconds;  // wall-clock seconds, when the text reads as a time
  bool written() const { return seconds || !text.empty(); }
};

enum class AppOutcome { kFinished, kLaunchFailed, kTimedOut, kNoResult };

// What the detection rules said after an installer's success.
enum class Detection { kNone, kInstalledNothing, kWaitsForRestart };

struct AppRow {
  LogText list_section;
  LogText app_section;
  LogText command_line;
  StampRead start;
  StampRead end;
  AppOutcome outcome = AppOutcome::kNoResult;
  std::optional<int32_t> counted_seconds;  // the number the result record gives, when it reads
  // From the exit record, when the run recorded exit codes and it reads.
  std::optional<uint32_t> exit_code;
  std::optional<ExitVerdict> verdict;
  bool exit_record = false;  // one was read for it, whether or not its values read
  int32_t busy_tries = 0;    // tries that met a busy code and were made again
  Detection detection = Detection::kNone;
  LogText detect_rule;  // the rule that did not hold
  // Why the HashList kept it from starting ("hash differs"); null: it did not.
  const char* not_verified = nullptr;
  bool ended_at_limit = false;  // timed out and ended (StopAtTimeLimit)
  bool cut_short = false;  // a record of it was cut short
  int64_t line = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_APP_ROW_H_
