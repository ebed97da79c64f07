#ifndef QUILL_RUNNER_DETECTION_H_
#define QUILL_RUNNER_DETECTION_H_

// Whether an application is installed already, by its detection rules:
// asked before its installer would start (installed: not started) and
// again after a success (still not installed: it installed nothing, a
// failure). An application without rules is neither asked nor told.
#include "base/run_context.h"
#include "platform/installed_state.h"
#include "platform/platform.h"
#include "runner/detect_rules.h"
#include "runner/exit_settings.h"
#include "runner/launch.h"

namespace quill {

// Whether the rule holds on this machine; `held` names what held
// ("DetectMsi={...}" for the one code of a list).
bool DetectRuleHolds(const DetectRule& rule, InstalledState& state, WString* held);

// Tells the rules that did not read; then true, with its record, when the
// application has rules and every one holds: it is not started.
bool InstalledAlready(const DetectRules& detect, const WString& app_section, RunContext& context,
                      Platform& platform);

// After the last try: an installer that ended with a success and left a
// rule unheld installed nothing. After a reboot verdict the record says
// that the check waits for the restart instead.
void CheckInstalledAfter(const DetectRules& detect, const AppExitRules& exit_rules,
                         const LaunchResult& result, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_DETECTION_H_
