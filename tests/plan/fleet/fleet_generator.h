#ifndef QUILL_TESTS_PLAN_FLEET_FLEET_GENERATOR_H_
#define QUILL_TESTS_PLAN_FLEET_FLEET_GENERATOR_H_

// A fleet of run logs written with the program's own record texts and
// bytes, and the truth about it kept while writing: the tests and the
// benchmark compare a report with what was written, not with the reader.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quill::plan {

// Outcomes in the order the report counts them: finished, failed to
// launch, timed out, without result.
struct AppTruth {
  int64_t runs = 0;
  int64_t outcomes[4] = {0, 0, 0, 0};
  int64_t max_seconds = 0;
};

// One run as written: where, when, on what, and how each application ended.
struct RunTruth {
  std::string file;  // the log's path as written
  int64_t start = 0;  // the banner's wall-clock seconds
  std::string system_id;
  std::string os_type;
  std::string lcid;
  std::string language_code;
  bool error = false;      // ended by an error record, before any application
  bool cut_short = false;  // its last application has a START and nothing after
  std::vector<std::pair<std::string, int>> apps;  // name, outcome
};

struct FleetTruth {
  int64_t log_files = 0;
  int64_t other_files = 0;  // files that are not run logs
  int64_t runs = 0;
  int64_t error_runs = 0;       // ended by an error record
  int64_t cut_short_runs = 0;   // an application started and nothing after it
  int64_t application_runs = 0;
  int64_t outcomes[4] = {0, 0, 0, 0};
  int64_t bytes = 0;  // of the log files
  std::set<std::string> machines;          // SystemID
  std::map<std::string, AppTruth> apps;    // by application section, UTF-8
  std::map<std::string, int64_t> runs_by_machine_os;    // "SystemID OSType"
  std::map<std::string, int64_t> failed_by_machine_os;  // runs not all finished
  std::vector<RunTruth> run_list;  // in the order the logs and their runs were written
};

// What the PCs are: their SystemIDs, OSTypes and locales (LCID and the
// language code the run found), each PC taking one of each at random.
struct FleetMix {
  std::vector<std::string> system_ids;  // empty: 60 models, 0x1000 to 0x1059
  std::vector<std::pair<std::string, std::string>> languages;  // empty: six, one unknown
  bool other_files = true;  // notes and archives among the logs
};

// Writes `logs` run logs (and a few files that are not logs) into
// folders of 500 under `folder`; the same seed writes the same fleet. Each
// log is a PC of one model and one Windows; its runs spread over 2026, and
// a run that failed is often tried again within hours.
FleetTruth WriteFleet(const std::string& folder, int logs, uint32_t seed,
                      const FleetMix& mix = FleetMix());

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_FLEET_FLEET_GENERATOR_H_
