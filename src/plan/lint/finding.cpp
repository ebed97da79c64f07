#include "plan/lint/finding.h"

namespace quill::plan {

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kNote: return "note";
    case Severity::kWarning: return "warning";
    case Severity::kError: return "error";
  }
  return "";
}

std::string FindingLine(const Finding& finding) {
  return finding.file + ":" + std::to_string(finding.line) + ": " +
         SeverityName(finding.severity) + " [" + finding.rule + "] " + finding.message;
}

nlohmann::ordered_json FindingJson(const Finding& finding) {
  return {{"file", finding.file},
          {"line", finding.line},
          {"rule", finding.rule},
          {"severity", SeverityName(finding.severity)},
          {"message", finding.message}};
}

int LintExitStatus(const std::vector<Finding>& findings) {
  int status = 0;
  for (const Finding& finding : findings) {
    if (finding.severity == Severity::kError) return 2;
    if (finding.severity == Severity::kWarning) status = 1;
  }
  return status;
}

}  // namespace quill::plan
