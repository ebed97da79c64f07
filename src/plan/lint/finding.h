#ifndef QUILL_PLAN_LINT_FINDING_H_
#define QUILL_PLAN_LINT_FINDING_H_

// One thing lint has to say about a line of a file.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quill::plan {

enum class Severity { kNote, kWarning, kError };

const char* SeverityName(Severity severity);

struct Finding {
  std::string file;
  int line = 0;      // 1-based; 0 for the file as a whole
  std::string rule;  // stable, for scripts: "app-key-unreachable"
  Severity severity = Severity::kWarning;
  std::string message;
};

// "file:line: severity [rule] message"
std::string FindingLine(const Finding& finding);
nlohmann::ordered_json FindingJson(const Finding& finding);

// 0 when nothing is worse than a note, 1 for warnings only, 2 for errors.
int LintExitStatus(const std::vector<Finding>& findings);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_FINDING_H_
