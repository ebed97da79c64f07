#ifndef QUILL_PLAN_PLANNING_PLAN_WORDS_H_
#define QUILL_PLAN_PLANNING_PLAN_WORDS_H_

// The words a plan is told in, shared by its text and JSON forms.
#include <string>

#include "plan/planning/plan_model.h"

namespace quill::plan {

// A stable name ("both-passes", "no-section", ...) for JSON and for tests.
const char* EndingName(PlanEnding ending);
const char* SkipName(SkipReason skip);

// One line for people.
std::string EndingText(const Plan& plan);
std::string SkipText(const PlanEntry& entry);

// Whether any exit-code key is given: a plan without them reads as before.
bool ExitKeysGiven(const PlanSettings& settings);
// "recorded and judged; busy 1618 tried again up to 2 times, 60 s apart",
// or "not recorded".
std::string ExitCodesText(const PlanSettings& settings);
// "0, 3010 (SuccessCodes)", "0, 1707, 3010, 1641 (default)", or that the
// list does not read and the defaults are used.
// What an installer's wait covers and what happens at its limit:
// "its whole tree, at most 600 s, then ended".
std::string LaunchLimitsText(const PlanEntry& entry);
std::string SuccessCodesText(const PlanEntry& entry);
// The codes the run takes for success, as a set: "0, 1641, 1707, 3010"
// whether the list is left out, written out, or in another order.
std::string SuccessCodesJudged(const PlanEntry& entry);
// The application's detection rules: "DetectMsi={...} and DetectFile=...",
// a rule that does not read marked as left out; "" without rules.
std::string DetectRulesText(const PlanEntry& entry);
// "C:\Kit\installers.sha256: 12 files listed", or that it cannot be read
// and nothing is started; "" when HashList is not given.
std::string HashListText(const PlanSettings& settings);
// Where LogCopy sends the log, its variables as written: a plan knows no
// PC's environment. Empty without the key.
std::string LogCopyText(const PlanSettings& settings);
// The risks a deployment shows, told alike by lint and plan; "" where there
// is none. An AppPath that is no full path leaves it to the current
// directory (and, without a drive, to PATH) which installer starts.
std::string AppPathSearchText(const WString& app_path);
// A language code that is no folder name gives %LANG% no folder.
std::string CodeNotAFolderText(const WString& language_code);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PLAN_WORDS_H_
