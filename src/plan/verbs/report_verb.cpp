#include "plan/report/log_records.h"
#include "plan/report/report_text.h"
#include "plan/report/run_report.h"
#include "plan/verbs/verbs.h"
#include "plan/windows/local_file.h"

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
