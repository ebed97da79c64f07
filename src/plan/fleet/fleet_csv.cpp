#include "plan/fleet/fleet_csv.h"

#include <initializer_list>

#include "base/utf.h"
#include "plan/report/report_text.h"

namespace quill::plan {

namespace {

void Line(std::ostream& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& field : fields) {
    if (!first) out << ',';
    out << CsvField(field);
    first = false;
  }
  out << "\r\n";
}

}  // namespace

std::string CsvField(const std::string& field) {
  const bool formula = !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos;
  const std::string text = formula ? "'" + field : field;
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

FleetCsv::FleetCsv(std::ostream& out) : out_(out) {
  Line(out_, {"log file", "run", "run start", "SystemID", "OSType", "LCID", "language code",
              "list section", "application", "command line", "start", "end", "outcome",
              "seconds"});
}

void FleetCsv::TakeRun(const std::string& file, int64_t number, const RunRow& run) {
  const std::string run_start = StampText(run.start);
  for (const AppRow& app : run.applications) {
    const auto seconds = SecondsBetween(app.start, app.end);
    Line(out_, {file, std::to_string(number), run_start, ToUtf8(run.system_id),
                ToUtf8(run.os_type), ToUtf8(run.lcid), ToUtf8(run.language_code),
                ToUtf8(app.list_section), ToUtf8(app.app_section), ToUtf8(app.command_line),
                app.start.text.empty() ? "" : StampText(app.start),
                app.end.text.empty() ? "" : StampText(app.end), AppOutcomeName(app.outcome),
                seconds ? std::to_string(*seconds) : ""});
  }
}

}  // namespace quill::plan
