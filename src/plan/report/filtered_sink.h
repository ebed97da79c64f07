#ifndef QUILL_PLAN_REPORT_FILTERED_SINK_H_
#define QUILL_PLAN_REPORT_FILTERED_SINK_H_

// The runs a report's filters let pass, handed on to its sinks; the
// files and their problems are handed on whatever the filters say.
#include <string>
#include <vector>

#include "plan/report/fleet_stream.h"
#include "plan/report/run_filter.h"

namespace quill::plan {

class FilteredSink : public FleetSink {
 public:
  FilteredSink(const RunFilter& filter, std::vector<FleetSink*> sinks)
      : filter_(filter), sinks_(std::move(sinks)) {}
  void TakeRun(const std::string& file, int64_t number, const RunRow& run) override {
    const RunRow* counted = filter_.Pass(run, &narrowed_);
    if (counted == nullptr) return;
    for (FleetSink* sink : sinks_) sink->TakeRun(file, number, *counted);
  }
  void EndLog(const std::string& file, const LogTally& tally) override {
    for (FleetSink* sink : sinks_) sink->EndLog(file, tally);
  }
  void TakeProblem(const FileProblem& problem) override {
    for (FleetSink* sink : sinks_) sink->TakeProblem(problem);
  }

 private:
  const RunFilter& filter_;
  std::vector<FleetSink*> sinks_;
  RunRow narrowed_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FILTERED_SINK_H_
