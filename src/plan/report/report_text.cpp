#include "plan/report/report_text.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "base/utf.h"
#include "plan/text/civil_time.h"
#include "plan/text/exit_meanings.h"
#include "plan/text/shown_text.h"
#include "plan/text/json_text.h"

namespace quill::plan {

namespace {

using Totals = ReportWriter::Totals;

// Two digits of `value`, which is below 100.
void Digits2(char* at, int value) {
  at[0] = static_cast<char>('0' + value / 10);
  at[1] = static_cast<char>('0' + value % 10);
}

// A row of the table written straight into the block: each cell is
// left-aligned in its columns, as setw with std::left writes it.
class RowWriter {
 public:
  explicit RowWriter(TextBlock& rows) : rows_(rows), cell_(rows.size()) {}
  RowWriter& operator<<(std::string_view text) {
    rows_.Append(text);
    return *this;
  }
  RowWriter& Number(int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    rows_.Append(std::string_view(digits, static_cast<size_t>(end - digits)));
    return *this;
  }
  RowWriter& Seconds(const std::optional<int64_t>& seconds) {
    return seconds ? Number(*seconds) : *this << "-";
  }
  // Text of the log as a terminal may show it; printable ASCII, the common case, as it is.
  RowWriter& Shown(const LogText& text) {
    for (const char byte : text.bytes()) {
      if (byte < 0x20 || byte >= 0x7F) {
        rows_.Append(plan::Shown(text.Utf8()));
        return *this;
      }
    }
    rows_.Append(text.bytes());
    return *this;
  }
  // As StampText has it; the date part is made once for the stamps of a day.
  RowWriter& Stamp(const StampRead& stamp) {
    if (!stamp.seconds) return stamp.text.empty() ? *this << "-" : Shown(stamp.text);
    int64_t day = *stamp.seconds / 86400;
    int64_t rest = *stamp.seconds % 86400;
    if (rest < 0) {
      rest += 86400;
      --day;
    }
    if (day != day_) {
      day_ = day;
      const LocalTime date = CivilFromSeconds(day * 86400);
      four_digit_year_ = date.year >= 0 && date.year <= 9999;
      Digits2(&date_[0], date.year / 100);
      Digits2(&date_[2], date.year % 100);
      Digits2(&date_[5], date.month);
      Digits2(&date_[8], date.day);
    }
    if (!four_digit_year_) {
      rows_.Append(StampText(stamp));
      return *this;
    }
    Digits2(&date_[11], static_cast<int>(rest / 3600));
    Digits2(&date_[14], static_cast<int>(rest / 60 % 60));
    Digits2(&date_[17], static_cast<int>(rest % 60));
    rows_.Append(std::string_view(date_, sizeof date_ - 1));
    return *this;
  }
  // Ends a cell of `width` columns. A character is a column however many
  // bytes UTF-8 gives it, and a cell wider than its columns still leaves a
  // blank before the next, so a long name never runs into its start time.
  RowWriter& Pad(size_t width) {
    const size_t written = Columns(rows_.view().substr(cell_));
    rows_.Fill(' ', written < width ? width - written : 1);
    cell_ = rows_.size();
    return *this;
  }
  void End() {
    rows_.Append("\n");
    cell_ = rows_.size();
  }
  // The rows were written out: the next cell starts the block.
  void Emptied() { cell_ = 0; }

 private:
  TextBlock& rows_;
  size_t cell_;  // where the cell being written starts
  int64_t day_ = INT64_MIN;  // of the date in date_
  bool four_digit_year_ = false;
  char date_[20] = "0000-00-00 00:00:00";
};

// The widths of the columns: run or application, start, end, outcome.
constexpr size_t kWhat = 34, kStart = 21, kEnd = 21, kOutcome = 36;

void Header(TextBlock& rows) {
  RowWriter row(rows);
  (row << "run / application").Pad(kWhat);
  (row << "start").Pad(kStart);
  (row << "end").Pad(kEnd);
  (row << "outcome").Pad(kOutcome);
  (row << "seconds").End();
}

// "finished in less than 3 s", or that the seconds do not read.
void WriteCounted(const AppRow& app, const char* what, const char* in, RowWriter& row) {
  if (!app.counted_seconds) {
    row << what << " (its seconds unreadable)";
  } else {
    (row << what << in).Number(*app.counted_seconds) << " s";
  }
}

void WriteOutcome(const AppRow& app, RowWriter& row) {
  switch (app.outcome) {
    case AppOutcome::kFinished: WriteCounted(app, "finished", " in less than ", row); return;
    case AppOutcome::kLaunchFailed: row << "failed to launch"; return;
    case AppOutcome::kTimedOut:
      WriteCounted(app, app.ended_at_limit ? "ended at its time limit" : "did not finish", " in ",
                   row);
      return;
    case AppOutcome::kNoResult: row << "no result in the log"; return;
  }
}

// After the exit code, where the rules said anything: "failed: installed
// nothing (DetectFile=...)".
void WriteDetection(const AppRow& app, RowWriter& row) {
  const char* apart = app.exit_code ? "; " : "  ";
  if (app.detection == Detection::kInstalledNothing) row << apart << "failed: installed nothing";
  if (app.detection == Detection::kWaitsForRestart) {
    row << apart << "detection waits for the restart";
  }
  if (app.detection != Detection::kNone) row << " (" << Shown(app.detect_rule.Utf8()) << ")";
}

// After the seconds, where the run recorded it: "failed: exit 1603: fatal
// error during installation".
void WriteExitCode(const AppRow& app, RowWriter& row) {
  if (!app.exit_code) {
    if (app.exit_record) row << "  failed: its exit record does not read";
    return;
  }
  row << "  " << (FailedByExitCode(app) ? "failed: " : "")
      << ExitCodeTold(*app.exit_code, std::string(app.command_line.bytes()));
  if (app.verdict == ExitVerdict::kBusyTriedAgain) {
    row << "; busy, no try after it";
  } else if (app.busy_tries > 0) {
    (row << "; after ").Number(app.busy_tries)
        << (app.busy_tries == 1 ? " busy try" : " busy tries");
  }
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

void WriteOutcome(const RunRow& run, RowWriter& row) {
  switch (run.outcome) {
    case RunOutcome::kApplicationsRun:
      row.Number(static_cast<int64_t>(run.applications.size())) << " applications";
      if (run.installed_already > 0)
        (row << ", ").Number(run.installed_already) << " installed already";
      return;
    case RunOutcome::kMissingAppInstlPath: row << "error: AppInstlPath not given"; return;
    case RunOutcome::kMissingLanguageTable: row << "error: cannot open " << Shown(run.error.Utf8()); return;
    case RunOutcome::kCutShort:
      row << (run.applications.empty() || run.applications.back().outcome != AppOutcome::kNoResult
                  ? "cut short"
                  : "cut short during an application");
      return;
  }
}

void Count(const RunRow& run, Totals& totals) {
  ++totals.runs;
  totals.run_seconds += SecondsBetween(run.start, run.end).value_or(0);
  totals.ends_before_starts += EndsBeforeStart(run.start, run.end);
  totals.installed_already += run.installed_already;
  totals.log_copy_records += run.log_copy_records;
  for (const AppRow& app : run.applications) {
    totals.installed_nothing += InstalledNothing(app);
    ++totals.applications;
    totals.exit_codes += app.exit_record;  // whether or not it reads
    totals.not_verified.Take(app);
    if (FailedByExitCode(app)) {
      ++totals.failed_by_exit_code;
    } else if (app.ended_at_limit) {
      ++totals.ended_at_limit;
    } else {
      ++totals.by_outcome[static_cast<int>(app.outcome)];
    }
    totals.application_seconds += SecondsBetween(app.start, app.end).value_or(0);
    totals.ends_before_starts += EndsBeforeStart(app.start, app.end);
  }
}

nlohmann::ordered_json Optional(const std::optional<int64_t>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
}

nlohmann::ordered_json AppJson(const AppRow& app) {
  nlohmann::ordered_json json = {
      {"list_section", app.list_section.Utf8()},
      {"application", app.app_section.Utf8()},
      {"command_line", app.command_line.Utf8()},
      {"start", StampText(app.start)},
      {"end", StampText(app.end)},
      {"outcome", AppOutcomeName(app.outcome)},
      {"counted_seconds", app.counted_seconds ? nlohmann::ordered_json(*app.counted_seconds)
                                              : nlohmann::ordered_json()},
      {"seconds", Optional(SecondsBetween(app.start, app.end))},
      {"cut_short", app.cut_short},
      {"line", app.line}};
  if (app.exit_code) {
    json["exit_code"] = *app.exit_code;
    json["exit_verdict"] = app.verdict ? ToUtf8(ExitVerdictWords(*app.verdict)) : "";
    json["exit_meaning"] = ExitMeaning(*app.exit_code, std::string(app.command_line.bytes()));
  }
  if (app.ended_at_limit) json["ended_at_time_limit"] = true;
  if (app.detection != Detection::kNone) {
    json["detection"] = app.detection == Detection::kInstalledNothing ? "installed nothing"
                                                                      : "waits for the restart";
    json["detect_rule"] = app.detect_rule.Utf8();
  }
  return json;
}

// The run's own fields, before its applications.
nlohmann::ordered_json RunFactsJson(const RunRow& run) {
  return {{"start", StampText(run.start)},
          {"end", StampText(run.end)},
          {"system_id", run.system_id.Utf8()},
          {"os_type", run.os_type.Utf8()},
          {"lcid", run.lcid.Utf8()},
          {"language_code", run.language_code.Utf8()},
          {"outcome", RunOutcomeName(run.outcome)},
          {"error", run.error.Utf8()},
          {"seconds", Optional(SecondsBetween(run.start, run.end))},
          {"cut_short_records", run.cut_short_records},
          {"line", run.line}};
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

// With the exit codes only where the log recorded them: other logs read as before.
nlohmann::ordered_json TotalsWithExits(const ReportWriter::Totals& totals) {
  nlohmann::ordered_json json = TotalsJson(totals);
  if (totals.exit_codes > 0) {
    json["exit_codes"] = totals.exit_codes;
    json["failed_by_exit_code"] = totals.failed_by_exit_code;
  }
  // The same for detection.
  if (totals.installed_nothing > 0 || totals.installed_already > 0) {
    json["installed_nothing"] = totals.installed_nothing;
    json["installed_already"] = totals.installed_already;
  }
  if (!totals.not_verified.empty()) json["not_verified"] = totals.not_verified.Json();
  if (totals.ended_at_limit > 0) json["ended_at_time_limit"] = totals.ended_at_limit;
  if (totals.log_copy_records > 0) json["log_copy_records"] = totals.log_copy_records;
  if (totals.exit_codes == 0) return json;
  json["exit_codes"] = totals.exit_codes;
  json["failed_by_exit_code"] = totals.failed_by_exit_code;
  return json;
}

// `json` as dump(2) would write it `depth` levels down.
std::string Nested(const nlohmann::ordered_json& json, int depth) {
  const std::string text = JsonText(json, 2);
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
  tally.unused_records = report.unused_records;
  return tally;
}

}  // namespace

std::string StampText(const StampRead& stamp) {
  std::string text;
  AppendStampText(stamp, &text);
  return text;
}

void AppendStampText(const StampRead& stamp, std::string* text) {
  if (!stamp.seconds) {
    text->append(stamp.text.empty() ? "-" : stamp.text.Utf8());
    return;
  }
  const LocalTime time = CivilFromSeconds(*stamp.seconds);
  // A report of a large log writes millions of these: no printf for the
  // common case.
  if (time.year >= 0 && time.year <= 9999 && time.month >= 0 && time.month <= 99 &&
      time.day >= 0 && time.day <= 99 && time.hour >= 0 && time.hour <= 99 &&
      time.minute >= 0 && time.minute <= 99 && time.second >= 0 && time.second <= 99) {
    char digits[] = "0000-00-00 00:00:00";
    Digits2(&digits[0], time.year / 100);
    Digits2(&digits[2], time.year % 100);
    Digits2(&digits[5], time.month);
    Digits2(&digits[8], time.day);
    Digits2(&digits[11], time.hour);
    Digits2(&digits[14], time.minute);
    Digits2(&digits[17], time.second);
    text->append(digits, sizeof digits - 1);
    return;
  }
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  text->append(digits);
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
    out_ << (totals_.runs == 1 ? "{\n  \"runs\": [\n    " : ",\n    ");
    WriteRunJson(run);
    return;
  }
  if (totals_.runs == 1) Header(rows_);
  RowWriter row(rows_);
  (row << "run ").Number(totals_.runs) << " ";
  row.Shown(run.system_id) << " ";
  row.Shown(run.os_type).Pad(kWhat);
  row.Stamp(run.start).Pad(kStart);
  row.Stamp(run.end).Pad(kEnd);
  WriteOutcome(run, row);
  row.Pad(kOutcome).Seconds(SecondsBetween(run.start, run.end));
  if (run.log_copy_records > 0) row << "  log copy: " << Shown(LogCopyWords(run));
  row.End();
  for (const AppRow& app : run.applications) {
    row << "  ";
    row.Shown(app.app_section) << (app.cut_short ? " (record cut short)" : "");
    row.Pad(kWhat);
    row.Stamp(app.start).Pad(kStart);
    row.Stamp(app.end).Pad(kEnd);
    WriteOutcome(app, row);
    row.Pad(kOutcome).Seconds(SecondsBetween(app.start, app.end));
    WriteExitCode(app, row);
    WriteDetection(app, row);
    row.End();
    if (rows_.size() >= kRowsHeld) {
      Flush();
      row.Emptied();
    }
  }
  if (rows_.size() >= kRowsHeld) Flush();
}

// As RunJson writes it, an application at a time: a run of any length
// holds one application's JSON.
void ReportWriter::WriteRunJson(const RunRow& run) {
  std::string facts = Nested(RunFactsJson(run), 2);
  facts.resize(facts.rfind('\n'));  // the object goes on
  out_ << facts << ",\n      \"applications\": [";
  const char* between = "\n        ";
  for (const AppRow& app : run.applications) {
    out_ << between << Nested(AppJson(app), 4);
    between = ",\n        ";
  }
  out_ << (run.applications.empty() ? "]" : "\n      ]");
  if (run.installed_already > 0)
    out_ << ",\n      \"installed_already\": " << run.installed_already;
  if (run.log_copy_records > 0) {
    out_ << ",\n      \"log_copy_records\": " << run.log_copy_records
         << ",\n      \"log_copy\": " << JsonText(nlohmann::ordered_json(LogCopyWords(run)));
  }
  out_ << "\n    }";
}

void ReportWriter::Flush() {
  out_.write(rows_.view().data(), static_cast<std::streamsize>(rows_.size()));
  rows_.clear();
}

void ReportWriter::End(const LogTally& tally) {
  if (json_) {
    out_ << (totals_.runs == 0 ? "{\n  \"runs\": []" : "\n  ]") << ",\n  \"totals\": "
         << Nested(TotalsWithExits(totals_), 1) << ",\n  \"unknown_lines\": "
         << Nested(nlohmann::ordered_json(tally.first_unknown_lines), 1);
    if (tally.unknown_lines > static_cast<int64_t>(tally.first_unknown_lines.size())) {
      out_ << ",\n  \"unknown_line_count\": " << tally.unknown_lines;
    }
    out_ << ",\n  \"records_outside_runs\": " << tally.records_outside_runs;
    if (tally.unused_records.count > 0) {
      out_ << ",\n  \"unused_records\": " << tally.unused_records.count
           << ",\n  \"first_unused_record\": {\"line\": " << tally.unused_records.first_line
           << ", \"why\": \"" << tally.unused_records.first_why << "\"}";
    }
    out_ << "\n}\n";
    return;
  }
  if (totals_.runs == 0) Header(rows_);
  Flush();
  const Totals& totals = totals_;
  out_ << "totals: " << totals.runs << " runs in " << totals.run_seconds << " s; "
       << totals.applications << " applications in " << totals.application_seconds << " s: "
       << totals.by_outcome[0] << " finished, " << totals.by_outcome[1] << " failed to launch, "
       << totals.by_outcome[2] << " timed out, " << totals.by_outcome[3] << " without result";
  if (totals.exit_codes > 0) out_ << ", " << totals.failed_by_exit_code << " failed by exit code";
  if (totals.installed_nothing > 0 || totals.installed_already > 0) {
    out_ << "; " << totals.installed_nothing << " installed nothing, " << totals.installed_already
         << " installed already and not started";
  }
  if (totals.ended_at_limit > 0)
    out_ << "; " << totals.ended_at_limit << " ended at their time limit";
  out_ << "\n";
  if (!totals.not_verified.empty()) out_ << totals.not_verified.Text() << "\n";
  if (totals.log_copy_records > 0) {
    out_ << "log copies: " << totals.log_copy_records
         << " failed or not made; the next run copies the whole log again\n";
  }
  if (totals.ends_before_starts > 0) {
    out_ << "durations unknown: " << totals.ends_before_starts
         << " with END before START (a clock set back)\n";
  }
  if (tally.unknown_lines > 0 || tally.records_outside_runs > 0) {
    out_ << "not read: " << tally.unknown_lines << " lines that hold no record, "
         << tally.records_outside_runs << " records before the first run\n";
  }
  if (tally.unused_records.count > 0) {
    out_ << "not used: " << tally.unused_records.count
         << " records the program never writes so (line " << tally.unused_records.first_line << ": "
         << tally.unused_records.first_why << ")\n";
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
