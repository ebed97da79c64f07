#include "plan/report/pc_latest.h"

#include <algorithm>
#include <utility>

#include "base/utf.h"
#include "plan/report/exit_counts.h"
#include "plan/report/report_text.h"
#include "plan/text/exit_meanings.h"

namespace quill::plan {

namespace {

const char* Failure(AppOutcome outcome) {
  switch (outcome) {
    case AppOutcome::kLaunchFailed: return "failed to launch";
    case AppOutcome::kTimedOut: return "timed out";
    case AppOutcome::kNoResult: return "had no result";
    case AppOutcome::kFinished: break;
  }
  return "finished";
}

// A run of many failures names the first few and counts the rest.
std::string MoreNamed(int64_t named) {
  if (named <= kAppsNamed) return std::string();
  return ", and " + std::to_string(named - kAppsNamed) + " more";
}

// The PC as its run names it, with what is to be said of it.
FailingPc PcOfRun(const std::string& file, int64_t number, const RunRow& run, std::string what) {
  return {file,
          run.system_id.Utf8(),
          run.os_type.Utf8(),
          run.start.seconds,
          StampText(run.start),
          number,
          false,
          std::move(what)};
}

}  // namespace

bool RunFailed(const RunRow& run) {
  if (run.outcome != RunOutcome::kApplicationsRun) return true;
  return std::any_of(run.applications.begin(), run.applications.end(),
                     [](const AppRow& app) { return !CountedAsFinished(app); });
}

std::string WhatFailed(const RunRow& run) {
  switch (run.outcome) {
    case RunOutcome::kMissingAppInstlPath: return "error: AppInstlPath not given";
    case RunOutcome::kMissingLanguageTable: return "error: cannot open " + run.error.Utf8();
    case RunOutcome::kCutShort:
      if (!run.applications.empty()) {
        return "cut short while " + run.applications.back().app_section.Utf8() + " ran";
      }
      return "cut short";
    case RunOutcome::kApplicationsRun: break;
  }
  std::string what;
  int64_t named = 0;
  for (const AppRow& app : run.applications) {
    if (CountedAsFinished(app)) continue;
    if (named++ >= kAppsNamed) continue;  // counted on
    const std::string failure =
        InstalledNothing(app) ? "installed nothing: " + app.detect_rule.Utf8() + " does not hold"
        : app.not_verified != nullptr ? std::string("not verified: ") + app.not_verified
        : !FailedByExitCode(app)      ? Failure(app.outcome)
        : app.exit_code ? ExitCodeTold(*app.exit_code, std::string(app.command_line.bytes()))
                        : std::string("exit record unreadable");
    what += (what.empty() ? "" : ", ") + app.app_section.Utf8() + " " + failure;
  }
  return what + MoreNamed(named);
}

std::string RebootsLeft(const RunRow& run) {
  std::string what;
  int64_t named = 0;
  for (const AppRow& app : run.applications) {
    const std::string reboot = RebootLeft(app);
    if (reboot.empty() || named++ >= kAppsNamed) continue;
    what += (what.empty() ? "" : ", ") + app.app_section.Utf8() + " " +
            ExitCodeShown(*app.exit_code) + ", " + reboot;
  }
  return what + MoreNamed(named);
}

std::string RestartStop(const RunRow& run) {
  if (!run.stopped_for_restart) return std::string();
  const std::string after = run.applications.empty()
                                ? std::string()
                                : " after " + run.applications.back().app_section.Utf8();
  if (run.restart.empty()) return "ended for the restart Windows began" + after;
  return "stopped for restart " + run.restart.Utf8() + after;
}

void PcLatest::TakeRun(const std::string& file, int64_t number, const RunRow& run) {
  failed_before_ = failed_before_ || latest_failed_;
  ++runs_in_log_;
  latest_stop_ = PcOfRun(file, number, run, RestartStop(run));
  latest_bound_ = latest_stop_;
  latest_bound_.what.clear();
  latest_copy_ = latest_bound_;
  latest_copy_.what = LogCopyWords(run);
  if (run.needs_restart) {
    const std::string reboots = RebootsLeft(run);
    latest_bound_.what = "Windows needs a restart" + (reboots.empty() ? "" : " (" + reboots + ")");
  }
  latest_reboot_ = RebootsLeft(run);
  if (!latest_reboot_.empty()) { latest_reboot_pc_ = PcOfRun(file, number, run, latest_reboot_); }
  latest_failed_ = RunFailed(run);
  if (!latest_failed_) return;
  latest_.file = file;
  latest_.number = number;
  latest_.run = run;
}

void PcLatest::EndLog() {
  if (runs_in_log_ > 0 && !latest_reboot_.empty()) rebooting_.push_back(latest_reboot_pc_);
  if (runs_in_log_ > 0 && !latest_stop_.what.empty()) restart_pending_.push_back(latest_stop_);
  if (runs_in_log_ > 0 && !latest_bound_.what.empty()) at_bound_.push_back(latest_bound_);
  if (runs_in_log_ > 0 && !latest_copy_.what.empty()) copy_failed_.push_back(latest_copy_);
  latest_copy_.what.clear();
  latest_stop_.what.clear();
  latest_bound_.what.clear();
  latest_reboot_.clear();
  if (runs_in_log_ > 0) {
    ++reporting_;
    if (latest_failed_) {
      const RunRow& run = latest_.run;
      failing_.push_back({latest_.file, run.system_id.Utf8(), run.os_type.Utf8(), run.start.seconds,
                          StampText(run.start), latest_.number,
                          run.outcome == RunOutcome::kCutShort, WhatFailed(run)});
      cut_short_ += failing_.back().cut_short;
    } else {
      fixed_ += failed_before_;
    }
  }
  latest_failed_ = failed_before_ = false;
  runs_in_log_ = 0;
}

std::vector<const FailingPc*> PcLatest::MostRecentFirst() const { return Sorted(failing_); }

std::vector<const FailingPc*> PcLatest::NeedingRebootFirst() const { return Sorted(rebooting_); }

std::vector<const FailingPc*> PcLatest::Sorted(const std::vector<FailingPc>& pcs) {
  std::vector<const FailingPc*> sorted;
  sorted.reserve(pcs.size());
  for (const FailingPc& pc : pcs) sorted.push_back(&pc);
  std::stable_sort(sorted.begin(), sorted.end(), [](const FailingPc* a, const FailingPc* b) {
    return a->start.value_or(INT64_MIN) > b->start.value_or(INT64_MIN);
  });
  return sorted;
}

}  // namespace quill::plan
