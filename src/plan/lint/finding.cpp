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

int LintExitStatus(const std::vector<Finding>& findings) {
  int status = 0;
  for (const Finding& finding : findings) {
    if (finding.severity == Severity::kError) return 2;
    if (finding.severity == Severity::kWarning) status = 1;
  }
  return status;
}

}  // namespace quill::plan
