#ifndef QUILL_PLAN_REPORT_REPORT_TEXT_H_
#define QUILL_PLAN_REPORT_REPORT_TEXT_H_

// A run report as a table for people, with totals, and as JSON.
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/report/not_verified_counts.h"
#include "plan/report/run_report.h"
#include "plan/report/run_stream.h"
#include "plan/report/text_block.h"

namespace quill::plan {

// "2026-12-06 09:05:03", or the stamp as written when it does not read.
std::string StampText(const StampRead& stamp);
void AppendStampText(const StampRead& stamp, std::string* text);
// "finished", "failed-to-launch", "timed-out", "no-result".
const char* AppOutcomeName(AppOutcome outcome);

// One log's report written as its runs are read, as text or as JSON.
class ReportWriter {
 public:
  ReportWriter(std::ostream& out, bool json) : out_(out), json_(json) {}
  ~ReportWriter() { Flush(); }
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;
  void Run(const RunRow& run);
  void End(const LogTally& tally);
  int64_t runs() const { return totals_.runs; }

  struct Totals {
    int64_t runs = 0;
    int64_t applications = 0;
    int64_t by_outcome[4] = {0, 0, 0, 0};
    int64_t run_seconds = 0;
    int64_t application_seconds = 0;
    int64_t ends_before_starts = 0;
    int64_t exit_codes = 0;           // recorded, where the log has them
    int64_t failed_by_exit_code = 0;  // not among by_outcome's finished
    int64_t installed_nothing = 0;    // among by_outcome's finished: a failure all the same
    int64_t installed_already = 0;    // not started: no application run
    int64_t ended_at_limit = 0;       // timed out and ended: not among by_outcome's
    int64_t log_copy_records = 0;     // copies to the fleet's folder not made
    NotVerifiedCounts not_verified;   // among by_outcome's failed to launch
  };

 private:
  // Rows are written in blocks of about this many bytes: a stream written
  // a cell at a time costs more than reading the log.
  static constexpr size_t kRowsHeld = 64u << 10;
  void Flush();
  void WriteRunJson(const RunRow& run);

  std::ostream& out_;
  bool json_;
  Totals totals_;
  TextBlock rows_;
};

// The same for a report held whole.
void WriteReportText(const RunReport& report, std::ostream& out);
nlohmann::ordered_json ReportJson(const RunReport& report);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_REPORT_TEXT_H_
