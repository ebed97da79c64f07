#include "plan/tally/exit_counts.h"

#include <algorithm>

namespace quill::plan {

void ExitCounts::Take(const AppRow& app) {
  if (!app.exit_code) return;
  ++recorded;
  ++by_code[*app.exit_code];
  if (!app.verdict) return;
  switch (*app.verdict) {
    case ExitVerdict::kFailure: ++failed; break;
    case ExitVerdict::kRebootRequired: ++reboot_required; break;
    case ExitVerdict::kRebootStarted: ++reboot_started; break;
    case ExitVerdict::kBusyTriedAgain: ++tried_again; break;
    case ExitVerdict::kSuccess: break;
  }
}

std::vector<std::pair<uint32_t, int64_t>> ExitCounts::MostSeen() const {
  std::vector<std::pair<uint32_t, int64_t>> seen(by_code.begin(), by_code.end());
  std::stable_sort(seen.begin(), seen.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  return seen;
}

bool CountedAsFinished(const AppRow& app) {
  return app.outcome == AppOutcome::kFinished && !FailedByExitCode(app) && !InstalledNothing(app);
}

const char* RebootLeft(const AppRow& app) {
  if (app.verdict == ExitVerdict::kRebootRequired) return "reboot required";
  if (app.verdict == ExitVerdict::kRebootStarted) return "reboot started";
  return "";
}

}  // namespace quill::plan
