#ifndef QUILL_PLAN_REPORT_PC_LATEST_H_
#define QUILL_PLAN_REPORT_PC_LATEST_H_

// What is left to do, PC by PC. A run log lives on one PC and is never
// rotated, so one log file is one PC and its last run is where the PC
// stands. Only the PCs that still fail are kept: memory grows with the
// work left, not with the fleet.
#include <cstdint>
#include <string>
#include <vector>

#include "plan/report/run_report.h"

namespace quill::plan {

struct FailingPc {
  std::string file;  // the log, UTF-8
  std::string system_id;
  std::string os_type;
  std::optional<int64_t> start;  // of its latest run, when the banner reads
  std::string start_text;
  int64_t run_number = 0;  // in its file, from 1
  bool cut_short = false;  // the machine restarted or the run was killed mid-install
  std::string what;        // "Office timed out, VPN failed to launch"
};

// A PC whose latest run left a reboot required or started, in the same
// form: `what` is "Office 3010, reboot required".
using RebootPc = FailingPc;

class PcLatest {
 public:
  // The runs of one log in order, then EndLog.
  void TakeRun(const std::string& file, int64_t number, const RunRow& run);
  void EndLog();

  int64_t reporting() const { return reporting_; }
  int64_t fixed() const { return fixed_; }
  int64_t still_failing() const { return static_cast<int64_t>(failing_.size()); }
  int64_t finished() const { return reporting_ - fixed_ - static_cast<int64_t>(failing_.size()); }
  int64_t cut_short() const { return cut_short_; }
  // Most recent latest run first; those whose time does not read last.
  std::vector<const FailingPc*> MostRecentFirst() const;
  // The PCs whose latest run left a reboot (known from exit codes only).
  int64_t needing_reboot() const { return static_cast<int64_t>(rebooting_.size()); }
  std::vector<const RebootPc*> NeedingRebootFirst() const;
  // The PCs whose latest run stopped for a restart and was never resumed,
  // and those whose latest run went on at the bound of its restarts.
  int64_t restart_pending() const { return static_cast<int64_t>(restart_pending_.size()); }
  std::vector<const FailingPc*> RestartPendingFirst() const { return Sorted(restart_pending_); }
  int64_t at_restart_bound() const { return static_cast<int64_t>(at_bound_.size()); }
  std::vector<const FailingPc*> AtRestartBoundFirst() const { return Sorted(at_bound_); }
  // With LogCopy: the PCs whose latest run's copy failed, or was not made,
  // so that the fleet's copy is older than the run.
  int64_t log_copy_failed() const { return static_cast<int64_t>(copy_failed_.size()); }
  std::vector<const FailingPc*> LogCopyFailedFirst() const { return Sorted(copy_failed_); }

 private:
  static std::vector<const FailingPc*> Sorted(const std::vector<FailingPc>& pcs);

  std::vector<FailingPc> failing_;
  std::vector<RebootPc> rebooting_;
  std::string latest_reboot_;  // of the log's latest run; empty: none
  RebootPc latest_reboot_pc_;
  std::vector<FailingPc> restart_pending_;
  std::vector<FailingPc> at_bound_;
  // Of the log's latest run; `what` empty: it did not stop, or is not at the bound.
  FailingPc latest_stop_;
  FailingPc latest_bound_;
  std::vector<FailingPc> copy_failed_;
  FailingPc latest_copy_;
  // The log's latest run, when it failed: told only once the log has
  // ended, for most of a busy PC's failures are followed by others.
  struct Latest {
    std::string file;
    int64_t number = 0;
    RunRow run;
  } latest_;
  bool latest_failed_ = false;
  bool failed_before_ = false;
  int64_t runs_in_log_ = 0;
  int64_t reporting_ = 0;
  int64_t fixed_ = 0;
  int64_t cut_short_ = 0;
};

// A run failed: it ended in an error, or one of its applications did not finish.
bool RunFailed(const RunRow& run);
// The applications a run's failures or reboots name; the rest are counted.
constexpr int64_t kAppsNamed = 20;
// Why a failed run failed, in a few words.
std::string WhatFailed(const RunRow& run);
// Where a run stopped for a restart, in a few words; empty when it did not.
std::string RestartStop(const RunRow& run);
// The reboots a run's applications left, in a few words; empty for none.
std::string RebootsLeft(const RunRow& run);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_PC_LATEST_H_
