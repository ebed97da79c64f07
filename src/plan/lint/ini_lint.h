#ifndef QUILL_PLAN_LINT_INI_LINT_H_
#define QUILL_PLAN_LINT_INI_LINT_H_

// Findings in the input INI file: what a run reads differently from how it
// looks, or never reads at all.
#include <string>
#include <vector>

#include "plan/lint/finding.h"
#include "plan/planning/plan_platform.h"
#include "plan/windows/ini_file.h"

namespace quill::plan {

// `language_codes` are the table's codes, for the check of "%LANG%" without
// GlobalSwitches; with none, that check is left out. `platform` answers the
// language-folder questions.
std::vector<Finding> LintIni(const std::string& file, const std::vector<WString>& language_codes,
                             PlanPlatform& platform);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_INI_LINT_H_
