#include "plan/verbs/verbs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "plan/host/host_path.h"
#include "plan/page/fleet_page.h"
#include "plan/report/filtered_sink.h"
#include "plan/report/fleet_csv.h"
#include "plan/report/fleet_stream.h"
#include "plan/report/fleet_text.h"
#include "plan/report/fleet_totals.h"
#include "plan/report/report_text.h"
#include "plan/report/run_filter.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/output_file.h"
#include "plan/verbs/verb_inputs.h"

namespace quill::plan {

namespace {

bool OneLog(const ReportOptions& options) {
  std::error_code error;
  return !options.fleet && options.logs.size() == 1 &&
         !std::filesystem::is_directory(HostPath(options.logs[0]), error);
}

// The table of one log's runs, written as they are read.
class OneLogSink : public FleetSink {
 public:
  OneLogSink(std::ostream& out, bool json) : writer_(out, json) {}
  void TakeRun(const std::string&, int64_t, const RunRow& run) override { writer_.Run(run); }
  void EndLog(const std::string&, const LogTally& tally) override { writer_.End(tally); }
  void TakeProblem(const FileProblem&) override {}

 private:
  ReportWriter writer_;
};

// The filters of the command line; false with the cause told when a date does not read.
bool ReadFilter(const ReportOptions& options, RunFilter* filter, std::ostream& err) {
  for (const auto& [flag, text, bound, day_after] :
       {std::make_tuple("--since", &options.since, &filter->since, 0),
        std::make_tuple("--until", &options.until, &filter->until, 1)}) {
    if (text->empty()) continue;
    const auto days = IsoDateDays(*text);
    if (!days) {
      TellError(err, "report", std::string(flag) + " " + *text, "is no date; give one as 2026-03-31");
      return false;
    }
    *bound = (*days + day_after) * 86400;
  }
  if (!options.since.empty() && !options.until.empty() && *filter->since >= *filter->until) {
    TellError(err, "report", "--since " + options.since,
              "is after --until " + options.until + ": no day is between them");
    return false;
  }
  filter->app = options.app;
  filter->model = options.model;
  filter->os = options.os;
  return true;
}

}  // namespace

int RunReportVerb(const ReportOptions& options, std::ostream& out, std::ostream& err) {
  RunFilter filter;
  if (!ReadFilter(options, &filter, err)) return kUsage;
  // Only JSON asks for standard output: the text gives way to a file given as "-".
  if (const int status = RefuseOutputClashes(
          "report",
          {{"--csv", options.csv}, {"--html", options.html}, {"--json", options.json ? "-" : ""}},
          {{}, options.logs}, err)) {
    return status;
  }
  Output csv_file("report"), html_file("report");
  if (!csv_file.Open(options.csv, out, err) || !html_file.Open(options.html, out, err)) {
    return kTrouble;
  }
  std::vector<std::string> not_inputs;
  for (const Output* output : {&csv_file, &html_file}) {
    for (const std::string& path : output->written_paths()) not_inputs.push_back(path);
  }
  // Standard output holds what was asked of it: the CSV or the page given
  // as "-", else the report.
  const bool report_shown = options.csv != "-" && options.html != "-";
  const bool one_log = OneLog(options);

  FleetTotals totals;
  totals.filters = filter.Described();
  totals.runs_counted = !one_log || html_file.stream() != nullptr;
  std::vector<FleetSink*> sinks = {&totals};
  std::unique_ptr<FleetCsv> csv;
  if (csv_file.stream()) {
    csv = std::make_unique<FleetCsv>(*csv_file.stream());
    sinks.push_back(csv.get());
  }
  std::unique_ptr<OneLogSink> table;
  if (one_log && report_shown) {
    table = std::make_unique<OneLogSink>(out, options.json);
    sinks.push_back(table.get());
  }
  FilteredSink filtered(filter, sinks);
  StreamFleet(options.logs, not_inputs, one_log ? LogReading::kWhole : LogReading::kSkim,
              filter.any() ? std::vector<FleetSink*>{&filtered} : sinks);
  TellProblems("report", totals.problems, err);
  // No log read: the old outputs stay as they were.
  if (totals.log_files == 0) {
    if (totals.problems.empty()) {
      std::string given;
      for (const std::string& path : options.logs) given += (given.empty() ? "" : ", ") + path;
      TellError(err, "report", given, "no run log read: no file in it");
    }
    return kTrouble;
  }
  // The page lists more PCs than the terminal: it scrolls.
  if (html_file.stream()) {
    WriteFleetPage(totals, std::max<size_t>(100, static_cast<size_t>(options.top)), *html_file.stream());
  }
  const bool csv_written = csv_file.Close(err);
  if (!html_file.Close(err) || !csv_written) return kTrouble;
  if (!one_log && report_shown) {
    if (options.json) {
      WriteFleetJson(totals, out);
    } else {
      WriteFleetText(totals, options.top, out);
    }
  }
  return totals.problems.empty() ? kAllGood : kFound;
}

}  // namespace quill::plan
