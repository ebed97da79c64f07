#include "plan/report/report_text.h"

#include <cstdio>
#include <sstream>
#include <string>

#include "base/utf.h"
#include "plan/windows/civil_time.h"
#include "plan/windows/shown_text.h"

namespace quill::plan {

namespace {

using Totals = ReportWriter::Totals;

std::string Seconds(const std::optional<int64_t>& seconds) {
  return seconds ? std::to_string(*seconds) : "-";
}

std::string AppOutcomeText(const AppRow& app) {
  switch (app.outcome) {
    case AppOutcome::kFinished:
      return app.counted_seconds
                 ? "finished in less than " + std::to_string(*app.counted_seconds) + " s"
                 : "finished (its seconds unreadable)";
    case AppOutcome::kLaunchFailed: return "failed to launch";
    case AppOutcome::kTimedOut:
      return app.counted_seconds
                 ? "did not finish in " + std::to_string(*app.counted_seconds) + " s"
                 : "did not finish (its seconds unreadable)";
    case AppOutcome::kNoResult: return "no result in the log";
  }
  return "";
}

const char* RunOutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kApplicationsRun: return "ran";
    case RunOutcome::kMissingAppInstlPath: return "missing-appinstlpath";
    case RunOutcome::kMissingLanguageTable: return "missing-language-table";
    case RunOutcome::kCutShort: return "cut-short";
  }
  return "";
}

std::string RunOutcomeText(const RunRow& run) {
  switch (run.outcome) {
    case RunOutcome::kApplicationsRun:
      return std::to_string(run.applications.size()) + " applications";
    case RunOutcome::kMissingAppInstlPath: return "error: AppInstlPath not given";
    case RunOutcome::kMissingLanguageTable: return "error: cannot open " + Shown(ToUtf8(run.error));
    case RunOutcome::kCutShort: return "cut short during an application";
  }
  return "";
}

void Count(const RunRow& run, Totals& totals) {
  ++totals.runs;
  totals.run_seconds += SecondsBetween(run.start, run.end).value_or(0);
  totals.ends_before_starts += EndsBeforeStart(run.start, run.end);
  for (const AppRow& app : run.applications) {
    ++totals.applications;
    ++totals.by_outcome[static_cast<int>(app.outcome)];
    totals.application_seconds += SecondsBetween(app.start, app.end).value_or(0);
    totals.ends_before_starts += EndsBeforeStart(app.start, app.end);
  }
}

nlohmann::ordered_json Optional(const std::optional<int64_t>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
}

nlohmann::ordered_json RunJson(const RunRow& run) {
  nlohmann::ordered_json apps = nlohmann::ordered_json::array();
  for (const AppRow& app : run.applications) {
    apps.push_back({{"list_section", ToUtf8(app.list_section)},
                    {"application", ToUtf8(app.app_section)},
                    {"command_line", ToUtf8(app.command_line)},
                    {"start", StampText(app.start)},
                    {"end", StampText(app.end)},
                    {"outcome", AppOutcomeName(app.outcome)},
                    {"counted_seconds", app.counted_seconds ? nlohmann::ordered_json(*app.counted_seconds)
                                                            : nlohmann::ordered_json()},
                    {"seconds", Optional(SecondsBetween(app.start, app.end))},
                    {"cut_short", app.cut_short},
                    {"line", app.line}});
  }
  return {{"start", StampText(run.start)},
          {"end", StampText(run.end)},
          {"system_id", ToUtf8(run.system_id)},
          {"os_type", ToUtf8(run.os_type)},
          {"lcid", ToUtf8(run.lcid)},
          {"language_code", ToUtf8(run.language_code)},
          {"outcome", RunOutcomeName(run.outcome)},
          {"error", ToUtf8(run.error)},
          {"seconds", Optional(SecondsBetween(run.start, run.end))},
          {"cut_short_records", run.cut_short_records},
          {"line", run.line},
          {"applications", apps}};
}

nlohmann::ordered_json TotalsJson(const Totals& totals) {
  return {{"runs", totals.runs},
          {"applications", totals.applications},
          {"finished", totals.by_outcome[0]},
          {"failed_to_launch", totals.by_outcome[1]},
          {"timed_out", totals.by_outcome[2]},
          {"without_result", totals.by_outcome[3]},
          {"run_seconds", totals.run_seconds},
          {"application_seconds", totals.application_seconds},
          {"ends_before_starts", totals.ends_before_starts}};
}

// `json` as dump(2) would write it `depth` levels down.
std::string Nested(const nlohmann::ordered_json& json, int depth) {
  const std::string text = json.dump(2);
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  std::string nested;
  for (char c : text) {
    nested += c;
    if (c == '\n') nested += indent;
  }
  return nested;
}

LogTally TallyOf(const RunReport& report) {
  LogTally tally;
  tally.unknown_lines = static_cast<int64_t>(report.unknown_lines.size());
  tally.first_unknown_lines = report.unknown_lines;
  tally.records_outside_runs = report.records_outside_runs;
  return tally;
}

// `text` left-aligned in `width` columns, as setw with std::left writes it.
void Cell(std::string& row, const std::string& text, size_t width) {
  row += text;
  if (text.size() < width) row.append(width - text.size(), ' ');
}

void Row(std::string& rows, const std::string& what, const std::string& start,
         const std::string& end, const std::string& outcome, const std::string& seconds) {
  Cell(rows, what, 34);
  Cell(rows, start, 21);
  Cell(rows, end, 21);
  Cell(rows, outcome, 36);
  rows += seconds;
  rows += '\n';
}

// Two digits of `value`, which is below 100.
void Digits2(char* at, int value) {
  at[0] = static_cast<char>('0' + value / 10);
  at[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

std::string StampText(const StampRead& stamp) {
  if (!stamp.seconds) return stamp.text.empty() ? "-" : ToUtf8(stamp.text);
  const LocalTime time = CivilFromSeconds(*stamp.seconds);
  // A report of a large log writes millions of these: no printf for the
  // common case.
  if (time.year >= 0 && time.year <= 9999 && time.month >= 0 && time.month <= 99 &&
      time.day >= 0 && time.day <= 99 && time.hour >= 0 && time.hour <= 99 &&
      time.minute >= 0 && time.minute <= 99 && time.second >= 0 && time.second <= 99) {
    std::string text = "0000-00-00 00:00:00";
    Digits2(&text[0], time.year / 100);
    Digits2(&text[2], time.year % 100);
    Digits2(&text[5], time.month);
    Digits2(&text[8], time.day);
    Digits2(&text[11], time.hour);
    Digits2(&text[14], time.minute);
    Digits2(&text[17], time.second);
    return text;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  return text;
}

const char* AppOutcomeName(AppOutcome outcome) {
  switch (outcome) {
    case AppOutcome::kFinished: return "finished";
    case AppOutcome::kLaunchFailed: return "failed-to-launch";
    case AppOutcome::kTimedOut: return "timed-out";
    case AppOutcome::kNoResult: return "no-result";
  }
  return "";
}

void ReportWriter::Run(const RunRow& run) {
  Count(run, totals_);
  if (json_) {
    out_ << (totals_.runs == 1 ? "{\n  \"runs\": [\n    " : ",\n    ") << Nested(RunJson(run), 2);
    return;
  }
  if (totals_.runs == 1) Row(rows_, "run / application", "start", "end", "outcome", "seconds");
  Row(rows_,
      "run " + std::to_string(totals_.runs) + " " + Shown(ToUtf8(run.system_id)) + " " +
          Shown(ToUtf8(run.os_type)),
      Shown(StampText(run.start)), Shown(StampText(run.end)), RunOutcomeText(run),
      Seconds(SecondsBetween(run.start, run.end)));
  for (const AppRow& app : run.applications) {
    Row(rows_, "  " + Shown(ToUtf8(app.app_section)) + (app.cut_short ? " (record cut short)" : ""),
        Shown(StampText(app.start)), Shown(StampText(app.end)), AppOutcomeText(app),
        Seconds(SecondsBetween(app.start, app.end)));
  }
  if (rows_.size() >= kRowsHeld) Flush();
}

void ReportWriter::Flush() {
  out_.write(rows_.data(), static_cast<std::streamsize>(rows_.size()));
  rows_.clear();
}

void ReportWriter::End(const LogTally& tally) {
  if (json_) {
    out_ << (totals_.runs == 0 ? "{\n  \"runs\": []" : "\n  ]") << ",\n  \"totals\": "
         << Nested(TotalsJson(totals_), 1) << ",\n  \"unknown_lines\": "
         << Nested(nlohmann::ordered_json(tally.first_unknown_lines), 1);
    if (tally.unknown_lines > static_cast<int64_t>(tally.first_unknown_lines.size())) {
      out_ << ",\n  \"unknown_line_count\": " << tally.unknown_lines;
    }
    out_ << ",\n  \"records_outside_runs\": " << tally.records_outside_runs << "\n}\n";
    return;
  }
  if (totals_.runs == 0) Row(rows_, "run / application", "start", "end", "outcome", "seconds");
  Flush();
  const Totals& totals = totals_;
  out_ << "totals: " << totals.runs << " runs in " << totals.run_seconds << " s; "
       << totals.applications << " applications in " << totals.application_seconds << " s: "
       << totals.by_outcome[0] << " finished, " << totals.by_outcome[1] << " failed to launch, "
       << totals.by_outcome[2] << " timed out, " << totals.by_outcome[3] << " without result\n";
  if (totals.ends_before_starts > 0) {
    out_ << "durations unknown: " << totals.ends_before_starts
         << " with END before START (a clock set back)\n";
  }
  if (tally.unknown_lines > 0 || tally.records_outside_runs > 0) {
    out_ << "not read: " << tally.unknown_lines << " lines that hold no record, "
         << tally.records_outside_runs << " records before the first run\n";
  }
}

void WriteReportText(const RunReport& report, std::ostream& out) {
  ReportWriter writer(out, false);
  for (const RunRow& run : report.runs) writer.Run(run);
  writer.End(TallyOf(report));
}

nlohmann::ordered_json ReportJson(const RunReport& report) {
  std::ostringstream text;
  ReportWriter writer(text, true);
  for (const RunRow& run : report.runs) writer.Run(run);
  writer.End(TallyOf(report));
  return nlohmann::ordered_json::parse(text.str());
}

}  // namespace quill::plan
