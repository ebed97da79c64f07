#ifndef QUILL_PLAN_REPORT_RUN_REPORT_H_
#define QUILL_PLAN_REPORT_RUN_REPORT_H_

// The runs of a log, each with its applications: when they started and
// ended, how they ended, and how long they took.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/report/log_records.h"
#include "platform/wide_string.h"

namespace quill::plan {

struct StampRead {
  WString text;                    // "09:05:03 Sunday, December 06, 2026" as written
  std::optional<int64_t> seconds;  // wall-clock seconds, when the text reads as a time
};

enum class AppOutcome { kFinished, kLaunchFailed, kTimedOut, kNoResult };

struct AppRow {
  WString list_section;
  WString app_section;
  WString command_line;
  StampRead start;
  StampRead end;
  AppOutcome outcome = AppOutcome::kNoResult;
  int32_t counted_seconds = 0;  // the number the result record gives
  bool cut_short = false;       // a record of it was cut short
  int line = 0;
};

enum class RunOutcome { kApplicationsRun, kMissingAppInstlPath, kMissingLanguageTable, kCutShort };

struct RunRow {
  StampRead start;
  StampRead end;  // the last time stamp of the block
  WString system_id;
  WString os_type;
  WString lcid;
  WString language_code;
  WString error;  // the error record's value
  RunOutcome outcome = RunOutcome::kApplicationsRun;
  std::vector<AppRow> applications;
  int cut_short_records = 0;
  int line = 0;
};

struct RunReport {
  std::vector<RunRow> runs;
  int records_outside_runs = 0;
  std::vector<int> unknown_lines;
};

RunReport MakeRunReport(const ReadLog& log);

// Seconds between two stamps, when both read as times.
std::optional<int64_t> SecondsBetween(const StampRead& start, const StampRead& end);

// "09:05:03" and "Sunday, December 06, 2026"; nothing when they do not read.
std::optional<int64_t> ReadStamp(const WString& time, const WString& date);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_RUN_REPORT_H_
