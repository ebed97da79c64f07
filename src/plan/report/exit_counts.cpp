#include "plan/report/exit_counts.h"

#include <algorithm>

namespace quill::plan {

void ExitCounts::Take(const AppRow& app) {
  tried_again += app.busy_tries;
  if (!app.exit_code) return;
  ++recorded;
  const auto kept = by_code.find(*app.exit_code);
  if (kept != by_code.end()) {
    ++kept->second;
  } else if (by_code.size() < kCodesKept) {
    by_code.emplace(*app.exit_code, 1);
  } else {
    ++runs_of_codes_not_kept;
  }
  if (!app.verdict) return;
  switch (*app.verdict) {
    case ExitVerdict::kFailure: ++failed; break;
    case ExitVerdict::kRebootRequired: ++reboot_required; break;
    case ExitVerdict::kRebootStarted: ++reboot_started; break;
    case ExitVerdict::kBusyTriedAgain: break;  // counted in its tries
    case ExitVerdict::kEndedAtTimeLimit: break;  // a time-out, counted as one
    case ExitVerdict::kSuccess: break;
  }
}

std::vector<std::pair<uint32_t, int64_t>> ExitCounts::MostSeen(size_t most) const {
  std::vector<std::pair<uint32_t, int64_t>> seen(by_code.begin(), by_code.end());
  const auto shown = seen.begin() + static_cast<std::ptrdiff_t>(std::min(most, seen.size()));
  std::partial_sort(seen.begin(), shown, seen.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  seen.erase(shown, seen.end());
  return seen;
}

int64_t ExitCounts::RunsBeyond(size_t most) const {
  int64_t shown = 0;
  for (const auto& [code, runs] : MostSeen(most)) shown += runs;
  return recorded - shown;
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
