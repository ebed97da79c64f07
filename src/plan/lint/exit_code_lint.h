#ifndef QUILL_PLAN_LINT_EXIT_CODE_LINT_H_
#define QUILL_PLAN_LINT_EXIT_CODE_LINT_H_

// Findings on the exit-code keys: values that do not read or are cut to
// their bound, keys that are never read because recording is off, and
// SuccessCodes on an application no list names.
#include <functional>
#include <set>
#include <string>

#include "plan/lint/finding.h"
#include "plan/planning/plan_platform.h"
#include "platform/wide_string.h"

namespace quill::plan {

// A finding on `key` of `section`; its line is found by the caller.
using KeyFinding = std::function<void(const WString& section, const WString& key,
                                      const char* rule, Severity severity,
                                      const std::string& message)>;

// Where a resumption would look for a path after a restart: "" on the
// system's drive C:, else "on a share" or "on a drive other than C:".
// "\\?\C:\..." and "\\.\C:\..." name C:'s files, "\\?\UNC\..." a share.
std::string AwayFromTheSystemDrive(const WString& path);

// `applications_read`: the application sections the lists reach, lower case.
void LintExitCodeKeys(PlanPlatform& platform, const std::set<WString>& applications_read,
                      const KeyFinding& add);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_EXIT_CODE_LINT_H_
