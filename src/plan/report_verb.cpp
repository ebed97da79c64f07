#include "plan/local_file.h"
#include "plan/log_records.h"
#include "plan/report_text.h"
#include "plan/run_report.h"
#include "plan/verbs.h"

namespace quill::plan {

int RunReportVerb(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  std::string bytes;
  if (!ReadLocalFile(options.log, &bytes)) {
    err << "quillplan: cannot read " << options.log << "\n";
    return kCannotRun;
  }
  const RunReport report = MakeRunReport(ReadLogRecords(bytes));
  if (options.json) {
    out << ReportJson(report).dump(2) << "\n";
  } else {
    WriteReportText(report, out);
  }
  return 0;
}

}  // namespace quill::plan
