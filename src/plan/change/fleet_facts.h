#ifndef QUILL_PLAN_CHANGE_FLEET_FACTS_H_
#define QUILL_PLAN_CHANGE_FLEET_FACTS_H_

// What each PC of a fleet is, as its latest run tells it: SystemID,
// OSType and LCID. One log is one PC. PCs that share all three share a
// fact, and a fact is planned once however many PCs share it; only each
// log's latest run is kept while it streams past.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "plan/planning/plan_platform.h"
#include "plan/report/fleet_stream.h"

namespace quill::plan {

struct PcFact {
  WString system_id;  // as the log has it
  WindowsKind system = WindowsKind::kOther;
  uint32_t lcid = 0;
};

struct FleetPc {
  std::string file;  // the log, UTF-8
  int fact = 0;      // into FleetFacts::facts()
};

// A PC whose latest run cannot be planned, and why.
struct PcApart {
  std::string file;
  std::string reason;
};

class FleetFacts : public FleetSink {
 public:
  void TakeRun(const std::string& file, int64_t number, const RunRow& run) override;
  void EndLog(const std::string& file, const LogTally& tally) override;
  void TakeProblem(const FileProblem& problem) override;

  const std::vector<PcFact>& facts() const { return facts_; }
  const std::vector<int64_t>& pcs_of_fact() const { return pcs_of_fact_; }
  const std::vector<FleetPc>& pcs() const { return pcs_; }
  const std::vector<PcApart>& apart() const { return apart_; }
  // Files skipped and lines passed over, as report tells them.
  const std::vector<FileProblem>& problems() const { return problems_; }
  int64_t log_files() const { return log_files_; }
  // A file skipped that may have been a log: one that could not be read.
  // A file that is no run log is named, and leaves the answer as it is.
  bool any_skipped() const;
  // Files not taken for PCs, logs or not, as report counts them.
  int64_t skipped_files() const;

 private:
  struct Latest {
    LogText system_id;
    LogText os_type;
    LogText lcid;
    std::string ended;  // why the run ended before its locale, if it did
  } latest_;
  std::vector<PcFact> facts_;
  std::vector<int64_t> pcs_of_fact_;
  std::unordered_map<WString, int> fact_of_key_;
  std::vector<FleetPc> pcs_;
  std::vector<PcApart> apart_;
  std::vector<FileProblem> problems_;
  int64_t log_files_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_FLEET_FACTS_H_
