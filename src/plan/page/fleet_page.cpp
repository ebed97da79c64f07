#include "plan/page/fleet_page.h"

#include <string>

#include "base/utf.h"
#include "plan/fleet/fleet_text.h"
#include "plan/page/fleet_charts.h"
#include "plan/report/report_text.h"

namespace quill::plan {

namespace {

constexpr size_t kMachinesDrawn = 25;

const char kStyle[] = R"(
body { font: 14px/1.4 "DejaVu Sans", "Segoe UI", Arial, sans-serif; color: #1f2933; background: #f4f6f8; margin: 0; }
main { max-width: 980px; margin: 0 auto; padding: 24px 28px 40px; }
h1 { font-size: 24px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 4px 0 6px; }
p.note { color: #52606d; margin: 0 0 12px; }
section { background: #fff; border-radius: 8px; padding: 14px 18px; margin-top: 16px; box-shadow: 0 1px 2px rgba(0,0,0,.08); }
.tiles { display: flex; flex-wrap: wrap; gap: 10px; margin-top: 16px; }
.tile { background: #fff; border-radius: 8px; padding: 10px 14px; min-width: 118px; box-shadow: 0 1px 2px rgba(0,0,0,.08); border-top: 4px solid #4a78b5; }
.tile .value { display: block; font-size: 22px; font-weight: bold; }
.tile .label { color: #52606d; font-size: 12px; }
svg { max-width: 100%; height: auto; }
svg text { font: 12px "DejaVu Sans", Arial, sans-serif; fill: #1f2933; }
svg text.axis, svg text.legend { fill: #52606d; font-size: 11px; }
svg text.count { fill: #52606d; }
svg line.grid { stroke: #e4e7eb; }
svg line.base { stroke: #cbd2d9; }
table { border-collapse: collapse; width: 100%; font-size: 13px; }
th, td { text-align: right; padding: 3px 8px; border-bottom: 1px solid #e4e7eb; }
th:first-child, td:first-child, .problems th, .problems td { text-align: left; }
td.path { text-align: left; font-family: "DejaVu Sans Mono", monospace; font-size: 12px; }
)";

std::string Tile(const char* key, int64_t value, const std::string& label, const char* colour) {
  return "<div class=\"tile\" data-total=\"" + std::string(key) + "\" style=\"border-top-color:" +
         colour + "\"><span class=\"value\">" + Grouped(value) + "</span><span class=\"label\">" +
         Escaped(label) + "</span></div>\n";
}

std::string Tiles(const FleetTotals& totals) {
  const char* const blue = "#4a78b5";
  std::string html = "<div class=\"tiles\">\n";
  html += Tile("run_logs", totals.log_files, "run logs read", blue);
  html += Tile("runs", totals.runs, "runs", blue);
  html += Tile("machines", static_cast<int64_t>(totals.machines.size()), "machines (SystemID)", blue);
  html += Tile("application_runs", totals.application_runs, "application runs", blue);
  const char* const keys[] = {"finished", "failed_to_launch", "timed_out", "without_result"};
  for (size_t i = 0; i < 4; ++i) {
    html += Tile(keys[i], totals.outcomes[i], OutcomeLabel(i), OutcomeColour(i));
  }
  html += Tile("cut_short_runs", totals.cut_short_runs, "runs cut short", "#8a8f98");
  html += Tile("error_runs", totals.error_runs, "runs ended in an error", "#d64545");
  html += Tile("skipped", totals.skipped_files, "files skipped", "#8a8f98");
  return html + "</div>\n";
}

std::string AppTable(const FleetTotals& totals) {
  std::string html = "<table class=\"apps\"><tr><th>application</th><th>runs</th>";
  for (size_t i = 0; i < 4; ++i) html += "<th>" + std::string(OutcomeLabel(i)) + "</th>";
  html += "<th>median s</th><th>p95 s</th><th>max s</th></tr>\n";
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    html += "<tr data-app=\"" + Escaped(app->name) + "\"><td>" + Escaped(app->name) + "</td><td>" +
            Grouped(app->runs) + "</td>";
    for (size_t i = 0; i < 4; ++i) html += "<td>" + Grouped(app->outcomes[i]) + "</td>";
    html += "<td>" + std::to_string(app->durations.Percentile(50)) + "</td><td>" +
            std::to_string(app->durations.Percentile(95)) + "</td><td>" +
            std::to_string(app->durations.Max()) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string Problems(const FleetTotals& totals) {
  std::string html = "<table class=\"problems\"><tr><th>file</th><th>line</th><th>why</th></tr>\n";
  for (const FileProblem& problem : totals.problems) {
    html += "<tr><td class=\"path\">" + Escaped(problem.file) + "</td><td>" +
            (problem.line > 0 ? std::to_string(problem.line) : "") + "</td><td>" +
            Escaped(problem.reason) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

}  // namespace

void WriteFleetPage(const FleetTotals& totals, std::ostream& out) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>QUILLRUN fleet report</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<main>\n"
      << "<h1>QUILLRUN fleet report</h1>\n"
      << "<p class=\"note\">" << Grouped(totals.log_files) << " run logs, "
      << Grouped(totals.runs) << " runs on " << Grouped(static_cast<int64_t>(totals.machines.size()))
      << " machines. Made by quillplan report.</p>\n"
      << Tiles(totals);

  out << "<section id=\"outcomes\">\n<h2>Application runs by outcome</h2>\n"
      << "<p class=\"note\">Worst first: most runs that did not finish, then the longest 95th percentile.</p>\n"
      << OutcomeBarsSvg(totals) << AppTable(totals) << "</section>\n";

  out << "<section id=\"durations\">\n<h2>How long each application took</h2>\n"
      << DurationsSvg(totals) << "</section>\n";

  if (totals.slowest.seconds >= 0) {
    const SlowestRun& slowest = totals.slowest;
    out << "<section id=\"slowest\">\n<h2>The slowest run</h2>\n<p class=\"note\">"
        << Grouped(slowest.seconds) << " s from " << Escaped(StampText(slowest.run.start))
        << " on " << Escaped(ToUtf8(slowest.run.system_id)) << " "
        << Escaped(OSTypeShown(ToUtf8(slowest.run.os_type))) << ": run " << slowest.run_number
        << " of " << Escaped(slowest.file) << "</p>\n"
        << SlowestRunSvg(slowest) << "</section>\n";
  }

  const size_t failing = totals.MachinesWithFailures().size();
  out << "<section id=\"machines\">\n<h2>Machines with failures</h2>\n<p class=\"note\">"
      << failing << " of " << totals.machine_os.size()
      << " machine models and Windows versions had a run that ended in an error or with an "
         "application that did not finish"
      << (failing > kMachinesDrawn ? "; the " + std::to_string(kMachinesDrawn) + " with the most are drawn" : "")
      << ".</p>\n"
      << FailingMachinesSvg(totals, kMachinesDrawn) << "</section>\n";

  if (!totals.problems.empty()) {
    out << "<section id=\"problems\">\n<h2>Files skipped, and lines not read</h2>\n"
        << Problems(totals) << "</section>\n";
  }
  out << "</main>\n</body>\n</html>\n";
}

}  // namespace quill::plan
