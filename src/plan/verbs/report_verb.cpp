#include "plan/verbs/verbs.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "plan/fleet/fleet_csv.h"
#include "plan/fleet/fleet_stream.h"
#include "plan/fleet/fleet_text.h"
#include "plan/fleet/fleet_totals.h"
#include "plan/page/fleet_page.h"
#include "plan/report/log_records.h"
#include "plan/report/report_text.h"
#include "plan/report/run_report.h"
#include "plan/windows/local_file.h"

namespace quill::plan {

namespace {

// The exit status of a fleet report that skipped files or lines on the way.
constexpr int kSomeNotRead = 1;

bool OneLog(const ReportOptions& options) {
  std::error_code error;
  return !options.fleet && options.logs.size() == 1 &&
         !std::filesystem::is_directory(std::filesystem::u8path(options.logs[0]), error);
}

int ReportOneLog(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  std::string bytes;
  if (!ReadLocalFile(options.logs[0], &bytes)) {
    err << "quillplan: cannot read " << options.logs[0] << "\n";
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

std::unique_ptr<std::ofstream> OpenOutput(const std::string& path, std::ostream& err) {
  if (path.empty()) return nullptr;
  auto file = std::make_unique<std::ofstream>(std::filesystem::u8path(path), std::ios::binary);
  if (!*file) err << "quillplan report: cannot write " << path << "\n";
  return file;
}

}  // namespace

int RunReportVerb(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  const auto csv_file = OpenOutput(options.csv, err);
  const auto html_file = OpenOutput(options.html, err);
  if ((csv_file && !*csv_file) || (html_file && !*html_file)) return kCannotRun;
  const bool one_log = OneLog(options);
  if (one_log && !csv_file && !html_file) return ReportOneLog(options, out, err);

  FleetTotals totals;
  std::vector<FleetSink*> sinks = {&totals};
  std::unique_ptr<FleetCsv> csv;
  if (csv_file) {
    csv = std::make_unique<FleetCsv>(*csv_file);
    sinks.push_back(csv.get());
  }
  StreamFleet(options.logs, sinks);
  if (html_file) WriteFleetPage(totals, *html_file);
  for (std::ofstream* file : {csv_file.get(), html_file.get()}) {
    if (file && !file->flush()) {
      err << "quillplan report: writing an output file failed\n";
      return kCannotRun;
    }
  }
  if (one_log) return ReportOneLog(options, out, err);

  for (const FileProblem& problem : totals.problems) {
    err << "quillplan report: " << problem.file;
    if (problem.line > 0) err << ":" << problem.line;
    err << ": " << problem.reason << "\n";
  }
  if (options.json) {
    out << FleetJson(totals).dump(2) << "\n";
  } else {
    WriteFleetText(totals, out);
  }
  if (totals.log_files == 0) return kCannotRun;
  return totals.problems.empty() ? 0 : kSomeNotRead;
}

}  // namespace quill::plan
