#include "plan/page/fleet_page.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plan/page/fleet_charts.h"
#include "plan/report/fleet_text.h"
#include "plan/report/outcome_groups.h"
#include "plan/report/report_text.h"
#include "plan/report/run_filter.h"
#include "plan/text/exit_meanings.h"

namespace quill::plan {

namespace {

constexpr size_t kMachinesDrawn = 25;
constexpr size_t kAppsDrawn = 20;  // the worst; the tables hold every one

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
.pcs th, .pcs td, td.what { text-align: left; }
.pcs td:first-child { white-space: nowrap; }
tr.cut-short td.what { font-weight: bold; color: #52606d; }
svg text.small { font-size: 10px; }
.scroll { max-height: 420px; overflow-y: auto; }
)";

std::string Tile(const char* key, int64_t value, const std::string& label, const char* colour) {
  return "<div class=\"tile\" data-total=\"" + std::string(key) + "\" style=\"border-top-color:" +
         colour + "\"><span class=\"value\">" + Grouped(value) + "</span><span class=\"label\">" +
         Escaped(label) + "</span></div>\n";
}

std::string Tiles(const FleetTotals& totals) {
  const char* const blue = "#4a78b5";
  std::string html = "<div class=\"tiles\">\n";
  const PcLatest& pcs = totals.pcs;
  html += Tile("pcs", pcs.reporting(), "PCs (log files) with runs", blue);
  html += Tile("pcs_failing", pcs.still_failing(), "PCs still failing", "#d64545");
  html += Tile("pcs_cut_short", pcs.cut_short(), "of them cut short", "#8a8f98");
  html += Tile("pcs_fixed", pcs.fixed(), "PCs fixed by a later run", "#2e9d5b");
  html += "</div>\n<div class=\"tiles\">\n";
  html += Tile("run_logs", totals.log_files, "run logs read", blue);
  html += Tile("runs", totals.runs, "runs", blue);
  html += Tile("machines", static_cast<int64_t>(totals.machines.size()), "models (SystemIDs)", blue);
  html += Tile("application_runs", totals.application_runs, "application runs", blue);
  const char* const keys[] = {"finished", "failed_to_launch", "timed_out", "without_result"};
  for (size_t i = 0; i < 4; ++i) {
    html += Tile(keys[i], totals.outcomes[i], OutcomeLabel(i), OutcomeColour(i));
  }
  if (totals.ended_at_limit > 0) {  // StopAtTimeLimit
    html +=
        Tile("ended_at_time_limit", totals.ended_at_limit, "ended at their time limit", "#d98c1f");
  }
  html += Tile("cut_short_runs", totals.cut_short_runs, "runs cut short", "#8a8f98");
  html += Tile("error_runs", totals.error_runs, "runs ended in an error", "#d64545");
  html += Tile("skipped", totals.skipped_files, "files skipped", "#8a8f98");
  if (totals.installed_nothing > 0 || totals.installed_already > 0) {  // detection rules
    html += Tile("installed_nothing", totals.installed_nothing, "installed nothing", "#d64545");
    html += Tile("installed_already", totals.installed_already, "installed already, not started",
                 "#2e9d5b");
  }
  return html + "</div>\n";
}

std::string AppTable(const FleetTotals& totals) {
  std::string html = "<table class=\"apps\"><tr><th>application</th><th>runs</th>";
  for (size_t i = 0; i < 4; ++i) html += "<th>" + std::string(OutcomeLabel(i)) + "</th>";
  const bool coded = totals.exits.recorded > 0;  // a column only where the logs recorded codes
  if (coded) html += "<th>failed by exit code</th>";
  html += "<th>failed %</th><th>median s</th><th>p95 s</th><th>max s</th></tr>\n";
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    html += "<tr data-app=\"" + Escaped(app->name) + "\"><td>" + Escaped(app->name) + "</td><td>" +
            Grouped(app->runs) + "</td>";
    html += "<td>" + Grouped(app->outcomes[0]) + "</td>";
    for (size_t i = 1; i < 4; ++i) {
      html += "<td>" + Grouped(app->outcomes[i]) + " (" + PercentShown(app->outcomes[i], app->runs) + ")</td>";
    }
    if (coded) html += "<td>" + Grouped(app->failed_by_exit_code) + "</td>";
    html += "<td>" + PercentShown(app->not_finished(), app->runs) + "</td>";
    html += "<td>" + std::to_string(app->durations.Percentile(50)) + "</td><td>" +
            std::to_string(app->durations.Percentile(95)) + "</td><td>" +
            std::to_string(app->durations.Max()) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string GroupTable(const char* title, const std::map<std::string, GroupTotals>& groups, bool language) {
  std::string html = "<table class=\"groups\"><tr><th>" + std::string(title) +
                     "</th><th>runs</th><th>failed runs</th><th>application runs</th>";
  for (size_t i = 1; i < 4; ++i) html += "<th>" + std::string(OutcomeLabel(i)) + "</th>";
  html += "</tr>\n";
  for (const GroupTotals* group : OutcomeGroups::WorstFirst(groups)) {
    html += "<tr><td>" + Escaped(language ? LanguageShown(*group) : OSTypeShown(group->name)) + "</td><td>" +
            Grouped(group->runs) + "</td><td>" + Grouped(group->failed_runs) + " (" +
            PercentShown(group->failed_runs, group->runs) + ")</td><td>" + Grouped(group->application_runs) + "</td>";
    for (size_t i = 1; i < 4; ++i) {
      html += "<td>" + Grouped(group->outcomes[i]) + " (" + PercentShown(group->outcomes[i], group->application_runs) +
              ")</td>";
    }
    html += "</tr>\n";
  }
  return html + "</table>\n";
}

std::string FailingPcs(const std::vector<const FailingPc*>& failing, size_t listed,
                       const char* what = "what failed") {
  std::string html = "<div class=\"scroll\"><table class=\"pcs\"><tr><th>latest run</th><th>log file</th>"
                     "<th>SystemID</th><th>OSType</th><th>" + std::string(what) + "</th></tr>\n";
  for (size_t i = 0; i < failing.size() && i < listed; ++i) {
    const FailingPc& pc = *failing[i];
    html += std::string("<tr class=\"pc") + (pc.cut_short ? " cut-short" : "") + "\" data-file=\"" +
            Escaped(pc.file) + "\"><td>" + Escaped(pc.start_text) + "</td><td class=\"path\">" +
            Escaped(pc.file) + "</td><td>" + Escaped(pc.system_id) + "</td><td>" +
            Escaped(OSTypeShown(pc.os_type)) + "</td><td class=\"what\">" + Escaped(pc.what) + "</td></tr>\n";
  }
  return html + "</table></div>\n";
}

// Only where the logs recorded exit codes: other pages read as before.
std::string ExitCodesSection(const FleetTotals& totals, size_t pcs_listed) {
  const ExitCounts& exits = totals.exits;
  if (exits.recorded == 0) return std::string();
  std::string html = "<section id=\"exit-codes\">\n<h2>Exit codes</h2>\n<p class=\"note\">" +
                     Grouped(exits.recorded) + " application runs recorded their exit code: " +
                     Grouped(exits.failed) + " failed by it, " + Grouped(exits.reboot_required) +
                     " left a reboot required, " + Grouped(exits.reboot_started) +
                     " started one, " + Grouped(exits.tried_again) +
                     " were busy and tried again. The chart colours each code as the defaults judge it.</p>\n" +
                     ExitCodesSvg(exits, kAppsDrawn);
  html += "<table class=\"exit-apps\"><tr><th>application</th><th>failed by exit code</th><th>codes seen</th></tr>\n";
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    if (app->exits.recorded == 0) continue;
    std::string codes;
    for (const auto& [code, count] : app->exits.MostSeen(10)) {
      codes += (codes.empty() ? "" : ", ") + ExitCodeShown(code) + " \u00d7" + Grouped(count);
    }
    if (const int64_t others = app->exits.RunsBeyond(10))
      codes += ", others \u00d7" + Grouped(others);
    html += "<tr data-app=\"" + Escaped(app->name) + "\"><td>" + Escaped(app->name) + "</td><td>" +
            Grouped(app->failed_by_exit_code) + "</td><td class=\"what\">" + Escaped(codes) + "</td></tr>\n";
  }
  html += "</table>\n";
  const auto rebooting = totals.pcs.NeedingRebootFirst();
  html += "<h2 id=\"reboots\">PCs needing a reboot: their latest run left one</h2>\n<p class=\"note\">" +
          Grouped(static_cast<int64_t>(rebooting.size())) + " PCs, most recent first.</p>\n";
  if (!rebooting.empty()) html += FailingPcs(rebooting, pcs_listed, "reboot");
  return html + "</section>\n";
}

// Only where a run restarted, or could not.
std::string RestartsSection(const FleetTotals& totals, size_t pcs_listed) {
  if (!totals.restarts_seen()) return std::string();
  const auto pending = totals.pcs.RestartPendingFirst();
  const auto bound = totals.pcs.AtRestartBoundFirst();
  std::string html = "<section id=\"restarts\">\n<h2>Restarts</h2>\n<p class=\"note\">" +
                     Grouped(totals.restart_stopped_runs) +
                     " runs stopped for a restart (counted neither failed nor cut short); " +
                     Grouped(totals.restart_bound_runs) +
                     " went on though Windows needs a restart.</p>\n"
                     "<h2 id=\"restart-pending\">PCs whose latest run stopped for a restart and "
                     "never resumed</h2>\n"
                     "<p class=\"note\">" +
                     Grouped(static_cast<int64_t>(pending.size())) +
                     " PCs, most recent first.</p>\n";
  if (!pending.empty()) html += FailingPcs(pending, pcs_listed, "stopped");
  html +=
      "<h2 id=\"restart-bound\">PCs at the bound of their restarts: Windows needs a restart</h2>\n"
      "<p class=\"note\">" +
      Grouped(static_cast<int64_t>(bound.size())) + " PCs, most recent first.</p>\n";
  if (!bound.empty()) html += FailingPcs(bound, pcs_listed, "restart");
  return html + "</section>\n";
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

void Opening(const FleetTotals& totals, std::ostream& out) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>QUILLRUN fleet report</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<main>\n"
      << "<h1>QUILLRUN fleet report</h1>\n"
      << "<p class=\"note\" id=\"period\">Runs from " << Escaped(PeriodShown(totals.trend))
      << ", by the time in each run's banner"
      << (totals.filters.empty() ? std::string() : "; only " + Escaped(totals.filters)) << ". "
      << Grouped(totals.pcs.reporting()) << " PCs (one run log each), " << Grouped(totals.runs) << " runs on "
      << Grouped(static_cast<int64_t>(totals.machines.size()))
      << " models (SystemIDs). Made by quillplan report.</p>\n"
      << Tiles(totals);
}

void PcsSection(const FleetTotals& totals, size_t pcs_listed, std::ostream& out) {
  const auto failing = totals.pcs.MostRecentFirst();
  out << "<section id=\"pcs\">\n<h2>PCs to visit: their latest run still fails</h2>\n<p class=\"note\">"
      << Grouped(static_cast<int64_t>(failing.size())) << " PCs, most recent first; "
      << Grouped(totals.pcs.cut_short())
      << " of them were cut short (the machine restarted or the run was killed while an installer worked)";
  if (failing.size() > pcs_listed) {
    out << "; the first " << pcs_listed << " are listed, all of them in --json and --csv";
  }
  out << ". " << Grouped(totals.pcs.fixed()) << " PCs failed before and finished their latest run.</p>\n"
      << FailingPcs(failing, pcs_listed) << "</section>\n";
}

void TrendSection(const RunTrend& trend, std::ostream& out) {
  if (trend.Points().empty()) return;
  out << "<section id=\"trend\">\n<h2>Runs, failed runs and PCs reporting per "
      << (trend.weekly() ? "week" : "day") << "</h2>\n"
      << TrendSvg(trend);
  const RunTrend::Outside outside = trend.RunsOutside();
  if (outside.runs > 0) {
    out << "<p class=\"note\">Not drawn: " << Grouped(outside.runs)
        << " runs on days far from the others (a PC's clock set wrong), the first in "
        << Escaped(outside.days.front().second) << " on " << IsoDate(outside.days.front().first)
        << ".</p>\n";
  }
  out << "</section>\n";
}

void OutcomesSection(const FleetTotals& totals, std::ostream& out) {
  const size_t apps = totals.apps.size();
  out << "<section id=\"outcomes\">\n<h2>Application runs by outcome</h2>\n"
      << "<p class=\"note\">Worst first: the highest share of runs that did not finish"
      << (apps > kAppsDrawn ? "; the chart draws the " + std::to_string(kAppsDrawn) + " worst of " +
                                  std::to_string(apps) + ", the table holds all"
                            : "")
      << ".</p>\n"
      << OutcomeBarsSvg(totals, kAppsDrawn) << AppTable(totals) << "</section>\n";
}

void SlowestSection(const SlowestRun& slowest, std::ostream& out) {
  if (slowest.seconds < 0) return;
  out << "<section id=\"slowest\">\n<h2>The slowest run</h2>\n<p class=\"note\">"
      << Grouped(slowest.seconds) << " s from " << Escaped(StampText(slowest.run.start)) << " on "
      << Escaped(slowest.run.system_id.Utf8()) << " "
      << Escaped(OSTypeShown(slowest.run.os_type.Utf8())) << ": run " << slowest.run_number
      << " of " << Escaped(slowest.file)
      << (slowest.run.applications.size() > kTimelineRows
              ? "; its " + std::to_string(kTimelineRows) + " longest of " +
                    Grouped(static_cast<int64_t>(slowest.run.applications.size())) +
                    " applications are drawn"
              : "")
      << "</p>\n"
      << SlowestRunSvg(slowest) << "</section>\n";
}

void MachinesSection(const FleetTotals& totals, std::ostream& out) {
  const size_t models_failing = totals.MachinesWithFailures().size();
  out << "<section id=\"machines\">\n<h2>Models with failed runs</h2>\n<p class=\"note\">"
      << models_failing << " of " << totals.machine_os.size()
      << " models (SystemID) and Windows versions had a run that ended in an error or with an "
         "application that did not finish"
      << (models_failing > kMachinesDrawn ? "; the " + std::to_string(kMachinesDrawn) + " with the most are drawn" : "")
      << ".</p>\n"
      << FailingMachinesSvg(totals, kMachinesDrawn) << "</section>\n";
}

}  // namespace

void WriteFleetPage(const FleetTotals& totals, size_t pcs_listed, std::ostream& out) {
  Opening(totals, out);
  PcsSection(totals, pcs_listed, out);
  TrendSection(totals.trend, out);
  OutcomesSection(totals, out);
  out << ExitCodesSection(totals, pcs_listed);
  out << RestartsSection(totals, pcs_listed);
  out << "<section id=\"groups\">\n<h2>By Windows and by language</h2>\n"
      << GroupTable("OSType", totals.groups.by_os, false)
      << GroupTable("language", totals.groups.by_language, true) << "</section>\n";
  out << "<section id=\"durations\">\n<h2>How long each application took</h2>\n"
      << DurationsSvg(totals, kAppsDrawn) << "</section>\n";
  SlowestSection(totals.slowest, out);
  MachinesSection(totals, out);
  if (!totals.problems.empty()) {
    out << "<section id=\"problems\">\n<h2>Files skipped, and lines not read</h2>\n"
        << Problems(totals) << "</section>\n";
  }
  out << "</main>\n</body>\n</html>\n";
}

}  // namespace quill::plan
