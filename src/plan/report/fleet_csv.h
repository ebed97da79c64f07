#ifndef QUILL_PLAN_REPORT_FLEET_CSV_H_
#define QUILL_PLAN_REPORT_FLEET_CSV_H_

// One row per application run, and one for a run that ended in an error
// before any application, written as the logs stream past, for
// spreadsheets and databases: RFC 4180, UTF-8, CR LF, a header row. Each
// row says how its run went and whether that run is its log's (its PC's)
// latest, so a query finds the PCs still failing; a run's rows wait until
// the next run or the end of the log tells which it is.
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "plan/report/fleet_stream.h"
#include "plan/report/spilled_records.h"

namespace quill::plan {

class FleetCsv : public FleetSink {
 public:
  // `held`: the bytes of a run's rows kept in memory.
  explicit FleetCsv(std::ostream& out, size_t held = 4u << 20);
  void TakeRun(const std::string& file, int64_t number, const RunRow& run) override;
  void EndLog(const std::string&, const LogTally&) override { Flush(true); }
  void TakeProblem(const FileProblem&) override {}

 private:
  void Flush(bool latest);

  void Hold(std::string_view after_latest);

  std::ostream& out_;
  // Of the run before, each row a record: the length of its fields before
  // "latest run of its log", those fields, and those after. A run of a
  // million applications waits on disk.
  SpilledRecords rows_;
  std::string row_;  // of the row being made
};

// A field quoted when it holds a comma, a quote or a line end; quotes
// doubled. A field that a spreadsheet would run as a formula (one that
// opens with "=", "+", "-", "@", a tab or a CR) gets a leading apostrophe,
// which spreadsheets show as text.
std::string CsvField(const std::string& text);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FLEET_CSV_H_
