#include "plan/page/fleet_charts.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <queue>
#include <sstream>
#include <utility>
#include <vector>

#include "plan/report/outcome_groups.h"
#include "plan/report/run_filter.h"

#include "base/utf.h"
#include "plan/report/report_text.h"
#include "plan/text/exit_meanings.h"
#include "plan/text/shown_text.h"
#include "runner/exit_codes.h"

namespace quill::plan {

namespace {

constexpr int kLabelWidth = 170;
constexpr int kPlotWidth = 560;
constexpr int kRowHeight = 26;
constexpr int kBarHeight = 16;
constexpr size_t kLabelCharacters = 22;  // what kLabelWidth holds at 12 px

const char kFailedByCodeColour[] = "#8e1b1b";
// AppOutcome's four, then failed by exit code.
const char* const kColours[] = {"#2e9d5b", "#d64545", "#e8982c", "#8a8f98", kFailedByCodeColour};
const char* const kLabels[] = {"finished", "failed to launch", "timed out", "without result",
                               "failed by exit code"};

constexpr int kBuckets = kDurationBuckets;

std::string BucketLabel(int bucket) {
  if (bucket == 0) return "0";
  const int64_t low = int64_t{1} << (bucket - 1);
  if (bucket == kBuckets - 1) return std::to_string(low) + "+";
  if (bucket == 1) return "1";
  return std::to_string(low) + "-" + std::to_string(2 * low - 1);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Open(int width, int height, const std::string& label) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
         "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) +
         " " + std::to_string(height) + "\" role=\"img\" aria-label=\"" + Escaped(label) + "\">\n";
}

std::string Text(double x, double y, const std::string& text, const std::string& attributes = "") {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"" +
         (attributes.empty() ? "" : " " + attributes) + ">" + Escaped(text) + "</text>\n";
}

std::string Rect(double x, double y, double width, double height, const std::string& fill,
                 const std::string& attributes, const std::string& title) {
  return "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(width) +
         "\" height=\"" + Number(height) + "\" fill=\"" + fill + "\" " + attributes + "><title>" +
         Escaped(title) + "</title></rect>\n";
}

// A name as a chart's label: shortened in the middle to fit, the whole of
// it the label's tooltip.
std::string Label(double x, double y, const std::string& name) {
  return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"end\" class=\"label\">" +
         Escaped(Shortened(name, kLabelCharacters)) + "<title>" + Escaped(name) + "</title></text>\n";
}

// The outcomes; failures by exit code only where the logs recorded codes.
std::string Legend(int x, int y, bool failed_by_code = false) {
  std::string svg;
  for (size_t i = 0; i < 4; ++i) {
    svg += Rect(x, y - 10, 12, 12, kColours[i], "", kLabels[i]);
    svg += Text(x + 17, y, kLabels[i], "class=\"legend\"");
    x += 34 + static_cast<int>(std::string(kLabels[i]).size()) * 6;
  }
  if (failed_by_code) {
    svg += Rect(x, y - 10, 12, 12, kFailedByCodeColour, "", "failed by exit code");
    svg += Text(x + 17, y, "failed by exit code", "class=\"legend\"");
  }
  return svg;
}

}  // namespace

// Control characters are shown as a terminal shows them, \x1b: a page is
// read by people, and a browser would drop some and act on others.
std::string Escaped(const std::string& text) {
  std::string safe;
  for (char c : Shown(text)) {
    switch (c) {
      case '&': safe += "&amp;"; break;
      case '<': safe += "&lt;"; break;
      case '>': safe += "&gt;"; break;
      case '"': safe += "&quot;"; break;
      case '\'': safe += "&#39;"; break;
      default: safe += c;
    }
  }
  return safe;
}

std::string Shortened(const std::string& name, size_t most) {
  std::vector<size_t> starts;  // of each character: a cut never splits one
  for (size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() <= most || most < 3) return name;
  const size_t head = (most - 1) / 2 + (most - 1) % 2;
  const size_t tail = most - 1 - head;
  return name.substr(0, starts[head]) + "\u2026" + name.substr(starts[starts.size() - tail]);
}

std::string Grouped(int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return number < 0 ? "-" + digits : digits;
}

const char* OutcomeColour(size_t outcome) { return kColours[outcome]; }
const char* OutcomeLabel(size_t outcome) { return kLabels[outcome]; }

std::string OutcomeBarsSvg(const FleetTotals& totals, size_t most_drawn) {
  auto apps = totals.AppsWorstFirst();
  if (apps.size() > most_drawn) apps.resize(most_drawn);
  int64_t most = 1;
  for (const AppTotals* app : apps) most = std::max(most, app->runs);
  const int width = kLabelWidth + kPlotWidth + 150;
  const int height = 34 + kRowHeight * static_cast<int>(apps.size());
  std::string svg = Open(width, height, "application runs by outcome");
  svg += Legend(kLabelWidth, 14, totals.failed_by_exit_code > 0);
  int y = 30;
  for (const AppTotals* app : apps) {
    svg += "<g class=\"app-bar\" data-app=\"" + Escaped(app->name) + "\" data-runs=\"" +
           std::to_string(app->runs) + "\">\n";
    svg += Label(kLabelWidth - 8, y + 12.5, app->name);
    double x = kLabelWidth;
    for (size_t i = 0; i < 4; ++i) {
      if (app->outcomes[i] == 0) continue;
      const double length = static_cast<double>(kPlotWidth) * app->outcomes[i] / most;
      svg += Rect(x, y, length, kBarHeight, kColours[i],
                  "data-outcome=\"" + std::string(kLabels[i]) + "\" data-count=\"" +
                      std::to_string(app->outcomes[i]) + "\"",
                  app->name + ": " + Grouped(app->outcomes[i]) + " " + kLabels[i]);
      x += length;
    }
    if (app->failed_by_exit_code > 0) {  // only where the logs recorded exit codes
      const double length = static_cast<double>(kPlotWidth) * app->failed_by_exit_code / most;
      svg += Rect(x, y, length, kBarHeight, kFailedByCodeColour,
                  "data-outcome=\"failed by exit code\" data-count=\"" +
                      std::to_string(app->failed_by_exit_code) + "\"",
                  app->name + ": " + Grouped(app->failed_by_exit_code) + " failed by exit code");
      x += length;
    }
    svg += Text(x + 6, y + 12.5, Grouped(app->runs) + " runs, " + PercentShown(app->not_finished(), app->runs) + " failed",
                "class=\"count\"");
    svg += "</g>\n";
    y += kRowHeight;
  }
  return svg + "</svg>\n";
}

namespace {

// The durations chart: a histogram per application, a cell per bucket.
constexpr int kCell = 54;
constexpr int kHistogramHeight = 40;
constexpr int kRow = kHistogramHeight + 26;
constexpr int kFigures = kLabelWidth + kCell * kBuckets + 56;  // where median, p95, max end

std::string DurationHeads(bool failed_by_code) {
  std::string svg = Legend(kLabelWidth, 14, failed_by_code);
  for (int bucket = 0; bucket < kBuckets; ++bucket) {
    svg += Text(kLabelWidth + kCell * bucket + kCell / 2.0, 34, BucketLabel(bucket),
                "class=\"axis\" text-anchor=\"middle\"");
  }
  const char* const heads[] = {"median", "p95", "max"};
  for (int i = 0; i < 3; ++i) {
    svg += Text(kFigures + 60 * i, 34, heads[i], "class=\"axis\" text-anchor=\"end\"");
  }
  return svg;
}

// One bucket's bar, its outcomes stacked, over `base`; the top it reaches.
double DurationBar(const AppTotals& app, int bucket, int base, int64_t fullest, std::string& svg) {
  double top = base;
  for (size_t outcome = 0; outcome < app.buckets_by_outcome.size(); ++outcome) {
    const int64_t count = app.buckets_by_outcome[outcome][bucket];
    if (count == 0) continue;
    const double tall = std::max(1.0, static_cast<double>(kHistogramHeight) * count / fullest);
    top -= tall;
    svg += Rect(kLabelWidth + kCell * bucket + 3, top, kCell - 6, tall, kColours[outcome],
                "class=\"bucket\" data-bucket=\"" + BucketLabel(bucket) + "\" data-outcome=\"" +
                    kLabels[outcome] + "\" data-count=\"" + std::to_string(count) + "\"",
                app.name + ": " + Grouped(count) + " runs " + kLabels[outcome] + " in " +
                    BucketLabel(bucket) + " s");
  }
  return top;
}

// An application's histogram at `y`. Per bucket, the runs of each outcome:
// a failed launch lasts 0 s and a time-out the limit, so the colours tell
// them from quick and slow successes.
std::string DurationRow(const AppTotals& app, int y) {
  int64_t totals_of[kBuckets] = {};
  for (size_t outcome = 0; outcome < app.buckets_by_outcome.size(); ++outcome) {
    for (int bucket = 0; bucket < kBuckets; ++bucket) {
      totals_of[bucket] += app.buckets_by_outcome[outcome][bucket];
    }
  }
  const int64_t fullest = std::max<int64_t>(1, *std::max_element(totals_of, totals_of + kBuckets));
  const int base = y + kHistogramHeight + 12;
  std::string svg = "<g class=\"durations\" data-app=\"" + Escaped(app.name) + "\">\n";
  svg += Label(kLabelWidth - 8, base - 4, app.name);
  svg += "<line x1=\"" + std::to_string(kLabelWidth) + "\" x2=\"" +
         std::to_string(kLabelWidth + kCell * kBuckets) + "\" y1=\"" + std::to_string(base) +
         "\" y2=\"" + std::to_string(base) + "\" class=\"base\"/>\n";
  for (int bucket = 0; bucket < kBuckets; ++bucket) {
    if (totals_of[bucket] == 0) continue;
    const double top = DurationBar(app, bucket, base, fullest, svg);
    svg += Text(kLabelWidth + kCell * bucket + kCell / 2.0, top - 2, Grouped(totals_of[bucket]),
                "class=\"count small\" text-anchor=\"middle\"");
  }
  const int64_t figures_of[] = {app.durations.Percentile(50), app.durations.Percentile(95),
                                app.durations.Max()};
  for (int i = 0; i < 3; ++i) {
    svg += Text(kFigures + 60 * i, base - 4, std::to_string(figures_of[i]) + " s",
                "class=\"count\" text-anchor=\"end\"");
  }
  return svg + "</g>\n";
}

}  // namespace

std::string DurationsSvg(const FleetTotals& totals, size_t most_drawn) {
  auto apps = totals.AppsWorstFirst();
  if (apps.size() > most_drawn) apps.resize(most_drawn);
  const int width = kLabelWidth + kCell * kBuckets + 190;
  const int height = 66 + kRow * static_cast<int>(apps.size());
  std::string svg = Open(width, height, "durations of each application, seconds, by outcome");
  bool failed_by_code = false;
  for (const AppTotals* app : apps) failed_by_code = failed_by_code || app->failed_by_exit_code > 0;
  svg += DurationHeads(failed_by_code);
  int y = 44;
  for (const AppTotals* app : apps) {
    svg += DurationRow(*app, y);
    y += kRow;
  }
  svg += Text(kLabelWidth, height - 4,
              "seconds from START to END, in groups that double; the number over a bar is its runs",
              "class=\"axis\"");
  return svg + "</svg>\n";
}

std::string TrendSvg(const RunTrend& trend) {
  const auto points = trend.Points();
  constexpr int kPlotHeight = 150;
  const int width = kLabelWidth + kPlotWidth + 150;
  const int height = kPlotHeight + 70;
  std::string svg = Open(width, height, trend.weekly() ? "runs per week" : "runs per day");
  svg += Rect(kLabelWidth, 4, 12, 12, "#9fb3c8", "", "runs");
  svg += Text(kLabelWidth + 17, 14, "runs", "class=\"legend\"");
  svg += Rect(kLabelWidth + 70, 4, 12, 12, kColours[1], "", "failed runs");
  svg += Text(kLabelWidth + 87, 14, "failed runs", "class=\"legend\"");
  svg += Rect(kLabelWidth + 180, 8, 12, 3, "#1f4e8c", "", "PCs reporting");
  svg += Text(kLabelWidth + 197, 14, "PCs reporting", "class=\"legend\"");
  int64_t most = 1;
  for (const TrendPoint& point : points) most = std::max({most, point.runs, point.pcs});
  const int top = 28;
  const int base = top + kPlotHeight;
  for (int64_t tick : {int64_t{0}, most / 2, most}) {
    const double y = base - static_cast<double>(kPlotHeight) * tick / most;
    svg += "<line x1=\"" + std::to_string(kLabelWidth) + "\" x2=\"" + std::to_string(kLabelWidth + kPlotWidth) +
           "\" y1=\"" + Number(y) + "\" y2=\"" + Number(y) + "\" class=\"grid\"/>\n";
    svg += Text(kLabelWidth - 6, y + 4, Grouped(tick), "class=\"axis\" text-anchor=\"end\"");
  }
  const double step = static_cast<double>(kPlotWidth) / std::max<size_t>(1, points.size());
  const size_t label_every = std::max<size_t>(1, (points.size() + 5) / 6);
  for (size_t i = 0; i < points.size(); ++i) {
    const TrendPoint& point = points[i];
    const double x = kLabelWidth + step * i;
    const double bar = std::max(1.0, step - 2);
    const std::string from = IsoDate(point.first_day);
    const std::string title = (trend.weekly() ? "week from " : "") + from + ": " + Grouped(point.runs) +
                              " runs, " + Grouped(point.failed_runs) + " failed, " + Grouped(point.pcs) + " PCs";
    svg += "<g class=\"trend-point\" data-from=\"" + from + "\" data-runs=\"" + std::to_string(point.runs) +
           "\" data-failed=\"" + std::to_string(point.failed_runs) + "\" data-pcs=\"" +
           std::to_string(point.pcs) + "\">\n";
    const double runs_tall = static_cast<double>(kPlotHeight) * point.runs / most;
    const double failed_tall = static_cast<double>(kPlotHeight) * point.failed_runs / most;
    const double pcs_at = base - static_cast<double>(kPlotHeight) * point.pcs / most;
    if (point.runs > 0) svg += Rect(x + 1, base - runs_tall, bar, runs_tall, "#9fb3c8", "", title);
    if (point.failed_runs > 0) svg += Rect(x + 1, base - failed_tall, bar, failed_tall, kColours[1], "", title);
    if (point.pcs > 0) svg += Rect(x + 1, pcs_at - 1.5, bar, 3, "#1f4e8c", "", title);
    svg += "</g>\n";
    if (i % label_every == 0) {
      svg += Text(x + step / 2, base + 16, from, "class=\"axis\" text-anchor=\"middle\"");
    }
  }
  svg += Text(kLabelWidth, height - 6,
              std::string(trend.weekly() ? "weeks from Monday" : "days") + ", by the time in each run's banner",
              "class=\"axis\"");
  return svg + "</svg>\n";
}

// The applications a timeline draws, by their place in the run: all of
// them, or the kTimelineRows longest.
std::vector<size_t> DrawnApplications(const AppRows& apps) {
  using Longest = std::pair<int64_t, size_t>;  // seconds, place
  std::priority_queue<Longest, std::vector<Longest>, std::greater<Longest>> longest;
  size_t place = 0;
  for (const AppRow& app : apps) {
    longest.emplace(SecondsBetween(app.start, app.end).value_or(0), place++);
    if (longest.size() > kTimelineRows) longest.pop();
  }
  std::vector<size_t> drawn;
  for (; !longest.empty(); longest.pop()) drawn.push_back(longest.top().second);
  std::sort(drawn.begin(), drawn.end());
  return drawn;
}

std::string SlowestRunSvg(const SlowestRun& slowest) {
  const auto& apps = slowest.run.applications;
  const std::vector<size_t> drawn = DrawnApplications(apps);
  const int width = kLabelWidth + kPlotWidth + 90;
  const int height = 40 + kRowHeight * static_cast<int>(drawn.size());
  std::string svg = Open(width, height, "timeline of the slowest run");
  const int64_t origin = slowest.run.start.seconds.value_or(0);
  const double span = std::max<int64_t>(1, slowest.seconds);
  // Ticks at a round step that gives four to ten of them.
  int64_t step = 1;
  for (int64_t nice : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 21600, 86400}) {
    step = nice;
    if (span / nice <= 8) break;
  }
  for (int64_t tick = 0; tick <= span; tick += step) {
    const double x = kLabelWidth + kPlotWidth * tick / span;
    svg += "<line x1=\"" + Number(x) + "\" x2=\"" + Number(x) + "\" y1=\"20\" y2=\"" +
           std::to_string(height - 4) + "\" class=\"grid\"/>\n";
    svg += Text(x, 14, tick % 60 == 0 ? std::to_string(tick / 60) + " min" : std::to_string(tick) + " s",
                "class=\"axis\" text-anchor=\"middle\"");
  }
  int y = 26;
  size_t place = 0;
  auto next = drawn.begin();
  for (const AppRow& app : apps) {
    if (next == drawn.end()) break;
    if (place++ != *next) continue;
    ++next;
    const std::string name = app.app_section.Utf8();
    const auto start = app.start.seconds;
    const auto end = app.end.seconds ? app.end.seconds : start;
    const size_t outcome = static_cast<size_t>(app.outcome);
    svg += Label(kLabelWidth - 8, y + 12.5, name);
    if (start) {
      const double x = kLabelWidth + kPlotWidth * (*start - origin) / span;
      const double length = std::max(2.0, kPlotWidth * (*end - *start) / span);
      svg += Rect(x, y, length, kBarHeight, kColours[outcome],
                  "class=\"step\" data-outcome=\"" + std::string(kLabels[outcome]) + "\"",
                  name + ": " + StampText(app.start) + " to " + StampText(app.end) + ", " +
                      kLabels[outcome]);
    }
    y += kRowHeight;
  }
  return svg + "</svg>\n";
}

std::string FailingMachinesSvg(const FleetTotals& totals, size_t most) {
  auto machines = totals.MachinesWithFailures();
  if (machines.size() > most) machines.resize(most);
  int64_t longest = 1;
  for (const MachineTotals* machine : machines) longest = std::max(longest, machine->runs);
  const int width = kLabelWidth + kPlotWidth + 110;
  const int height = 34 + 22 * static_cast<int>(machines.size());
  std::string svg = Open(width, height, "machines with failed runs");
  svg += Rect(kLabelWidth, 4, 12, 12, "#d64545", "", "failed runs");
  svg += Text(kLabelWidth + 17, 14, "failed runs", "class=\"legend\"");
  svg += Rect(kLabelWidth + 110, 4, 12, 12, "#cfd5dd", "", "runs that finished");
  svg += Text(kLabelWidth + 127, 14, "runs without a failure", "class=\"legend\"");
  int y = 26;
  for (const MachineTotals* machine : machines) {
    const std::string name = machine->system_id + " " + (machine->os_type.empty() ? "(none)" : machine->os_type);
    const double whole = static_cast<double>(kPlotWidth) * machine->runs / longest;
    const double failed = static_cast<double>(kPlotWidth) * machine->failed_runs / longest;
    svg += "<g class=\"machine\" data-machine=\"" + Escaped(name) + "\" data-failed=\"" +
           std::to_string(machine->failed_runs) + "\">\n";
    svg += Label(kLabelWidth - 8, y + 11, name);
    svg += Rect(kLabelWidth, y, whole, 14, "#cfd5dd", "", name + ": " + Grouped(machine->runs) + " runs");
    svg += Rect(kLabelWidth, y, failed, 14, "#d64545", "",
                name + ": " + Grouped(machine->failed_runs) + " failed runs");
    svg += Text(kLabelWidth + whole + 6, y + 11,
                Grouped(machine->failed_runs) + " of " + Grouped(machine->runs), "class=\"count\"");
    svg += "</g>\n";
    y += 22;
  }
  return svg + "</svg>\n";
}

std::string ExitCodesSvg(const ExitCounts& exits, size_t most) {
  const auto seen = exits.MostSeen(most);
  const int64_t longest = seen.empty() ? 1 : std::max<int64_t>(1, seen.front().second);
  const int width = kLabelWidth + kPlotWidth + 110;
  const int height = 34 + 22 * static_cast<int>(seen.size());
  std::string svg = Open(width, height, "exit codes seen most");
  const char* const colours[] = {"#2e9d5b", "#e8982c", "#d64545"};
  const char* const names[] = {"success", "success, reboot", "failure"};
  for (int i = 0, x = kLabelWidth; i < 3; x += 40 + static_cast<int>(std::string(names[i]).size()) * 6, ++i) {
    svg += Rect(x, 4, 12, 12, colours[i], "", names[i]);
    svg += Text(x + 17, 14, names[i], "class=\"legend\"");
  }
  int y = 26;
  for (const auto& [code, count] : seen) {
    const ExitVerdict verdict = JudgeExitCode(code, DefaultSuccessCodes());
    const int colour = verdict == ExitVerdict::kSuccess ? 0 : verdict == ExitVerdict::kFailure ? 2 : 1;
    const std::string told = ExitCodeTold(code);
    const double length = static_cast<double>(kPlotWidth) * count / longest;
    svg += "<g class=\"exit-code\" data-code=\"" + ExitCodeShown(code) + "\" data-runs=\"" +
           std::to_string(count) + "\">\n";
    svg += Label(kLabelWidth - 8, y + 11, told);
    svg += Rect(kLabelWidth, y, length, 14, colours[colour], "", told + ": " + Grouped(count) + " runs");
    svg += Text(kLabelWidth + length + 6, y + 11, Grouped(count), "class=\"count\"");
    svg += "</g>\n";
    y += 22;
  }
  return svg + "</svg>\n";
}

}  // namespace quill::plan
