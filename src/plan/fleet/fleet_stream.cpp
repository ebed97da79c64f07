#include "plan/fleet/fleet_stream.h"

#include "plan/fleet/fleet_files.h"

namespace quill::plan {

void StreamFleet(const std::vector<std::string>& paths, const std::vector<FleetSink*>& sinks) {
  std::string buffer;
  RunReport report;
  std::vector<FileProblem> problems;
  ForEachFile(paths, [&](const FoundFile& found) {
    problems.clear();
    if (!found.problem.empty()) {
      problems.push_back({found.path, 0, found.problem, true});
    } else if (ReadFleetLog(found.path, &buffer, &report, &problems)) {
      for (FleetSink* sink : sinks) sink->TakeLog(found.path, report);
    }
    for (const FileProblem& problem : problems) {
      for (FleetSink* sink : sinks) sink->TakeProblem(problem);
    }
  });
}

}  // namespace quill::plan
