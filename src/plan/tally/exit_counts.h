#ifndef QUILL_PLAN_TALLY_EXIT_COUNTS_H_
#define QUILL_PLAN_TALLY_EXIT_COUNTS_H_

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
  int64_t recorded = 0;  // application runs with an exit record that reads
  int64_t failed = 0;
  int64_t reboot_required = 0;
  int64_t reboot_started = 0;
  int64_t tried_again = 0;  // busy, and started again
  std::map<uint32_t, int64_t> by_code;

  void Take(const AppRow& app);
  // The codes by how often they were seen, the commonest first.
  std::vector<std::pair<uint32_t, int64_t>> MostSeen() const;
};

// Where an application run is counted: by its outcome, except that one
// which finished with a failure code counts as failed, not finished.
bool CountedAsFinished(const AppRow& app);

// "exit 3010, reboot required" for the reboot an application left; empty
// when it left none.
const char* RebootLeft(const AppRow& app);

}  // namespace quill::plan

#endif  // QUILL_PLAN_TALLY_EXIT_COUNTS_H_
