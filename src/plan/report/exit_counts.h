#ifndef QUILL_PLAN_REPORT_EXIT_COUNTS_H_
#define QUILL_PLAN_REPORT_EXIT_COUNTS_H_

// The exit codes of the application runs that recorded one: how many
// failed by their code, how many left a reboot, and which codes were seen.
// A log without exit records counts nothing here.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "plan/report/run_report.h"

namespace quill::plan {

struct ExitCounts {
  // Distinct codes counted each; the runs of codes past them are counted
  // together: a share of logs with a new code in every run is held in
  // bounded memory.
  static constexpr size_t kCodesKept = 4096;
  int64_t recorded = 0;  // application runs with an exit record that reads
  int64_t failed = 0;
  int64_t reboot_required = 0;
  int64_t reboot_started = 0;
  int64_t tried_again = 0;  // busy, and started again
  std::map<uint32_t, int64_t> by_code;
  int64_t runs_of_codes_not_kept = 0;

  void Take(const AppRow& app);
  // The `most` codes seen most, the commonest first.
  std::vector<std::pair<uint32_t, int64_t>> MostSeen(size_t most) const;
  // The runs whose codes MostSeen(most) leaves out.
  int64_t RunsBeyond(size_t most) const;
};

// Where an application run is counted: by its outcome, except that one
// which finished with a failure code counts as failed, not finished.
bool CountedAsFinished(const AppRow& app);

// "exit 3010, reboot required" for the reboot an application left; empty
// when it left none.
const char* RebootLeft(const AppRow& app);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_EXIT_COUNTS_H_
