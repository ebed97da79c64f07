#include "plan/report/fleet_csv.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "base/utf.h"
#include "plan/report/pc_latest.h"
#include "plan/report/report_text.h"
#include "plan/text/exit_meanings.h"
#include "plan/text/shown_text.h"

namespace quill::plan {

namespace {

void Fields(std::string& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& field : fields) {
    if (!first) out += ',';
    out += CsvField(field);
    first = false;
  }
}

const char* RunState(const RunRow& run) {
  switch (run.outcome) {
    case RunOutcome::kMissingAppInstlPath:
    case RunOutcome::kMissingLanguageTable: return "error";
    case RunOutcome::kCutShort: return "cut-short";
    case RunOutcome::kApplicationsRun: break;
  }
  return RunFailed(run) ? "failed" : "finished";
}

// The detection columns, after the restart column: what the rules said of
// the application, the rule, and how many the run found installed already.
std::string DetectionFields(const AppRow* app, const RunRow& run) {
  const Detection detection = app != nullptr ? app->detection : Detection::kNone;
  const std::string rule =
      app != nullptr && detection != Detection::kNone ? app->detect_rule.Utf8() : "";
  std::string fields;
  Fields(fields, {detection == Detection::kInstalledNothing  ? "installed nothing"
                  : detection == Detection::kWaitsForRestart ? "waits for the restart"
                                                             : "",
                  rule, std::to_string(run.installed_already)});
  return "," + fields;
}

// The exit code's fields, appended after today's so that readers of those
// keep working; empty where no code was recorded.
std::string ExitFields(const AppRow* app) {
  std::string fields;
  if (app == nullptr || !app->exit_code) {
    Fields(fields, {"", "", ""});
    return "," + fields;
  }
  const auto code = *app->exit_code;
  Fields(fields, {ExitCodeShown(code), app->verdict ? ToUtf8(ExitVerdictWords(*app->verdict)) : "",
                  ExitMeaning(code, std::string(app->command_line.bytes()))});
  return "," + fields;
}

// The run's restart, after the exit fields: empty without MaxRestarts.
std::string RestartField(const RunRow& run) {
  const char* words = run.stopped_for_restart && run.needs_restart ? "stopped, at the bound"
                      : run.stopped_for_restart                    ? "stopped for a restart"
                      : run.needs_restart                          ? "needs a restart"
                                                                   : "";
  return "," + CsvField(words);
}

}  // namespace

std::string CsvField(const std::string& field) {
  const bool formula =
      !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos;
  const std::string text = ValidUtf8(formula ? "'" + field : field);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

FleetCsv::FleetCsv(std::ostream& out, size_t held)
    : out_(out), rows_(held), row_(sizeof(uint32_t), '\0') {
  std::string header;
  Fields(header, {"log file",
                  "run",
                  "run start",
                  "SystemID",
                  "OSType",
                  "LCID",
                  "language code",
                  "list section",
                  "application",
                  "command line",
                  "start",
                  "end",
                  "outcome",
                  "seconds",
                  "run outcome",
                  "latest run of its log",
                  "exit code",
                  "exit verdict",
                  "exit meaning",
                  "run restart",
                  "detection",
                  "detect rule",
                  "installed already in the run",
                  "log copy"});
  out_ << header << "\r\n";
}

void FleetCsv::Flush(bool latest) {
  const char* latest_field = latest ? ",yes" : ",no";
  SpilledRecords::Reader rows(rows_);
  std::string_view row;
  while (rows.Next(&row)) {
    uint32_t before = 0;
    std::memcpy(&before, row.data(), sizeof before);
    row.remove_prefix(sizeof before);
    out_ << row.substr(0, before) << latest_field << row.substr(before) << "\r\n";
  }
  rows_.clear();
}

// The row's fields before "latest run of its log" in row_, its length first.
void FleetCsv::Hold(std::string_view after_latest) {
  const auto before = static_cast<uint32_t>(row_.size() - sizeof(uint32_t));
  std::memcpy(row_.data(), &before, sizeof before);
  row_.append(after_latest);
  rows_.Add(row_);
  row_.assign(sizeof before, '\0');
}

void FleetCsv::TakeRun(const std::string& file, int64_t number, const RunRow& run) {
  Flush(false);
  const std::string run_start = StampText(run.start);
  const char* state = RunState(run);
  // The run's copy to the fleet's folder that was not made, last: empty without LogCopy.
  const std::string copy = "," + CsvField(LogCopyWords(run));
  if (run.applications.empty()) {
    Fields(row_, {file, std::to_string(number), run_start, run.system_id.Utf8(), run.os_type.Utf8(),
                  run.lcid.Utf8(), run.language_code.Utf8(), "", "", "", "", "", "", "", state});
    Hold(ExitFields(nullptr) + RestartField(run) + DetectionFields(nullptr, run) + copy);
  }
  for (const AppRow& app : run.applications) {
    const auto seconds = SecondsBetween(app.start, app.end);
    Fields(row_, {file, std::to_string(number), run_start, run.system_id.Utf8(), run.os_type.Utf8(),
                  run.lcid.Utf8(), run.language_code.Utf8(), app.list_section.Utf8(),
                  app.app_section.Utf8(), app.command_line.Utf8(),
                  app.start.written() ? StampText(app.start) : "",
                  app.end.written() ? StampText(app.end) : "",
                  app.ended_at_limit ? "ended-at-time-limit" : AppOutcomeName(app.outcome),
                  seconds ? std::to_string(*seconds) : "", state});
    Hold(ExitFields(&app) + RestartField(run) + DetectionFields(&app, run) + copy);
  }
}

}  // namespace quill::plan
