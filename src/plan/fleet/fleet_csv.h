#ifndef QUILL_PLAN_FLEET_FLEET_CSV_H_
#define QUILL_PLAN_FLEET_FLEET_CSV_H_

// One row per application run, written as the logs stream past, for
// spreadsheets and databases: RFC 4180, UTF-8, CR LF, a header row.
#include <ostream>
#include <string>

#include "plan/fleet/fleet_stream.h"

namespace quill::plan {

class FleetCsv : public FleetSink {
 public:
  explicit FleetCsv(std::ostream& out);
  void TakeLog(const std::string& file, const RunReport& report) override;
  void TakeProblem(const FileProblem&) override {}

 private:
  std::ostream& out_;
};

// A field quoted when it holds a comma, a quote or a line end; quotes doubled.
std::string CsvField(const std::string& text);

}  // namespace quill::plan

#endif  // QUILL_PLAN_FLEET_FLEET_CSV_H_
