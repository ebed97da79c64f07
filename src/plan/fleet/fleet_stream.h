#ifndef QUILL_PLAN_FLEET_FLEET_STREAM_H_
#define QUILL_PLAN_FLEET_FLEET_STREAM_H_

// Every file under the paths read once, in order, and handed to each
// sink as it is read; nothing of a file is kept after its turn.
#include <string>
#include <vector>

#include "plan/fleet/fleet_log.h"
#include "plan/report/run_report.h"

namespace quill::plan {

class FleetSink {
 public:
  virtual ~FleetSink() = default;
  virtual void TakeLog(const std::string& file, const RunReport& report) = 0;
  virtual void TakeProblem(const FileProblem& problem) = 0;
};

void StreamFleet(const std::vector<std::string>& paths, const std::vector<FleetSink*>& sinks);

}  // namespace quill::plan

#endif  // QUILL_PLAN_FLEET_FLEET_STREAM_H_
