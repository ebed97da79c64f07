#ifndef QUILL_PLAN_REPORT_RUN_REPORT_H_
#define QUILL_PLAN_REPORT_RUN_REPORT_H_

// The runs of a log, each with its applications: when they started and
// ended, how they ended, and how long they took.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/report/app_rows.h"
#include "plan/report/log_records.h"
#include "plan/report/log_text.h"
#include "platform/wide_string.h"
#include "runner/exit_codes.h"

namespace quill::plan {

enum class RunOutcome { kApplicationsRun, kMissingAppInstlPath, kMissingLanguageTable, kCutShort };

// What a run tells besides its applications.
struct RunFacts {
  StampRead start;
  StampRead end;  // the last time stamp of the block
  LogText system_id;
  LogText os_type;
  LogText lcid;
  LogText language_code;
  LogText error;  // the error record's value
  RunOutcome outcome = RunOutcome::kApplicationsRun;
  int cut_short_records = 0;
  int64_t line = 0;
  // With MaxRestarts: the run stopped for a restart (and is resumed by a
  // later run, or by none), or went on though Windows needs a restart.
  bool stopped_for_restart = false;
  bool needs_restart = false;
  LogText restart;  // "1 of 2", of the stop
  int32_t installed_already = 0;  // applications its rules found installed: not started
  // With LogCopy: the run's last copy that failed, or a value not used.
  int32_t log_copy_records = 0;
  LogText log_copy_where;  // the copy's path, or LogCopy's value
  LogText log_copy_cause;
  bool log_copy_unused = false;
};

struct RunRow : RunFacts {
  AppRows applications;
};

// Records that stand where the program never writes them, or whose values
// do not read: counted, and the first named, never guessed at.
struct UnusedRecords {
  int64_t count = 0;
  int64_t first_line = 0;
  const char* first_why = "";
  void Take(int64_t line, const char* why) {
    if (count++ == 0) {
      first_line = line;
      first_why = why;
    }
  }
};

struct RunReport {
  std::vector<RunRow> runs;
  int64_t records_outside_runs = 0;
  std::vector<int64_t> unknown_lines;
  UnusedRecords unused_records;
};

// Runs made from records as they come, handed out one at a time as each
// ends: a log of any length holds one run in memory. The rows and their
// strings are used again from run to run, so a long log makes no string per
// run once the first runs have made room, and no run is copied.
class RunBuilder {
 public:
  void Take(const RecordSpan& record);
  // The run before the last banner seen, or every run once Finish is
  // called; nothing when none is left. Valid until the next Take or Finish.
  const RunRow* Next();
  void Finish();
  // The log ended inside a `record` of the run at hand.
  void CutShort(const RecordSpan& record);
  int64_t records_outside_runs() const { return records_outside_runs_; }
  const UnusedRecords& unused_records() const { return unused_records_; }
  // Ready for another log; the room stays.
  void Reset();

 private:
  void Open(int64_t line);
  void TakeWaitingLine();
  void Close();
  void TakeInRun(const RecordSpan& record);
  void TakeExitCode(const RecordSpan& record);
  AppRow* PlacedApp(const RecordSpan& record);  // null: named unused
  void MoveRunEndTo(const AppRow& app, bool stamped);
  void TakeLogCopy(const RecordSpan& record);
  void TakeEndedAtLimit();
  bool TriedAgain(const RecordSpan& processing);
  bool Placed(const RecordSpan& record);  // false: named unused
  void TakeInstalledAlready(const RecordSpan& record);
  void TakeDetection(const RecordSpan& record);
  void TakeDetectionAfterRestart(const RecordSpan& record);
  AppRow& CurrentApp(const RecordSpan& record);
  void Stamp(const RecordSpan& record, StampRead* stamp);

  // The first banner line waits: a run opens only if the second follows.
  struct FirstBannerLine {
    bool waiting = false;
    bool cut_short = false;
    int64_t line = 0;
  } first_banner_line_;
  bool open_ = false;
  bool run_end_from_app_ = true;  // the run's end was last set from the current application
  RunRow run_;
  std::vector<RunRow> done_;  // rows [0, done_count_) are runs not yet handed out
  size_t done_count_ = 0;
  size_t handed_out_ = 0;
  bool app_done_ = false;
  // Whether the run resumed after a restart, and has had its one detection
  // record of the application it resumed after.
  enum class Resume { kNone, kResumed, kAsked } resume_ = Resume::kNone;
  int64_t records_outside_runs_ = 0;
  UnusedRecords unused_records_;
  struct DateRead {
    std::string text;
    bool read = false;
    int64_t days = 0;  // since 1970-01-01, when it reads
  } last_date_;
};

RunReport MakeRunReport(const ReadLog& log);

// Seconds between two stamps, when both read as times and the end is not
// before the start (a clock set back, or a change of daylight-saving time).
std::optional<int64_t> SecondsBetween(const StampRead& start, const StampRead& end);
// Both stamps read, and the end is before the start.
bool EndsBeforeStart(const StampRead& start, const StampRead& end);

// Why a NOT VERIFIED record's file was kept from starting, in a word or
// two: "not in the list", "hash differs", "cannot be opened", ...
const char* NotVerifiedReason(std::string_view why);
// Every reason it gives.
const std::array<const char*, 8>& NotVerifiedReasons();

// The run's last log copy not made, as the log tells it: "PATH was not
// written: CAUSE" or "LogCopy=VALUE is not used: WHY"; "" when it told none.
std::string LogCopyWords(const RunFacts& run);

// An application that ended but failed by its exit code, or whose exit
// record does not read: that is never taken for a success.
bool FailedByExitCode(const AppRow& app);
// An application whose installer succeeded and whose rules did not hold.
bool InstalledNothing(const AppRow& app);
// The exit record's values: "3010" and "success, reboot required".
std::optional<uint32_t> ReadExitCode(std::string_view text);
std::optional<ExitVerdict> ReadExitVerdict(std::string_view words);

// "09:05:03" and "Sunday, December 06, 2026"; nothing when they do not read.
std::optional<int64_t> ReadStamp(const WString& time, const WString& date);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_RUN_REPORT_H_
