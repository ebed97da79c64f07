#include "plan/report/fleet_stream.h"

#include "plan/report/fleet_files.h"
#include "plan/report/log_file.h"

namespace quill::plan {

namespace {

void Tell(const std::vector<FleetSink*>& sinks, const FileProblem& problem) {
  for (FleetSink* sink : sinks) sink->TakeProblem(problem);
}

// What a log held besides its runs, told once.
void TellNotes(const std::string& path, const LogTally& tally, int64_t first_run_line,
               const std::vector<FleetSink*>& sinks) {
  if (tally.unknown_lines > 0) {
    Tell(sinks, {path, tally.first_unknown_lines.front(),
                 tally.unknown_lines == 1
                     ? "a line that holds no record; the rest was counted"
                     : std::to_string(tally.unknown_lines) +
                           " lines hold no record (the first here); the rest was counted",
                 false});
  }
  if (tally.records_outside_runs > 0) {
    Tell(sinks, {path, first_run_line,
                 std::to_string(tally.records_outside_runs) +
                     " records before this first banner were not counted",
                 false});
  }
  if (tally.unused_records.count > 0) {
    const int64_t count = tally.unused_records.count;
    Tell(sinks, {path, tally.unused_records.first_line,
                 std::string(tally.unused_records.first_why) + "; not used" +
                     (count == 1 ? std::string()
                                 : " (" + std::to_string(count) + " such records, the first here)"),
                 false});
  }
  if (tally.read_failed) {
    Tell(sinks, {path, tally.lines, "a read failed here; the runs before it were counted", false});
  }
}

// Reads one file through `stream`, with the room the files before it left.
bool ReadLogThrough(const std::string& path, LogReading reading,
                    const std::vector<FleetSink*>& sinks, RunStream& stream) {
  LogFile file;
  std::string why_not;
  if (!file.Open(path, &why_not)) {
    Tell(sinks, {path, 0, why_not, true});
    return false;
  }
  why_not = WhyNotALog(file.Opening());
  if (file.read_failed()) why_not = "cannot be read: a read failed";
  if (!why_not.empty() && (reading == LogReading::kSkim || file.read_failed())) {
    Tell(sinks, {path, 0, why_not, true, !file.read_failed()});
    return false;
  }
  stream.Restart(file);
  int64_t runs = 0;
  int64_t first_run_line = 0;
  while (const RunRow* run = stream.Next()) {
    if (++runs == 1) first_run_line = run->line;
    for (FleetSink* sink : sinks) sink->TakeRun(path, runs, *run);
  }
  if (runs == 0) {
    if (why_not.empty()) why_not = "not a run log: no run's banner in it";
    const bool failed = stream.tally().read_failed;
    Tell(sinks, {path, 0, failed ? "cannot be read: a read failed" : why_not, true, !failed});
    return false;
  }
  for (FleetSink* sink : sinks) sink->EndLog(path, stream.tally());
  TellNotes(path, stream.tally(), first_run_line, sinks);
  return true;
}

}  // namespace

bool ReadFleetLog(const std::string& path, LogReading reading,
                  const std::vector<FleetSink*>& sinks) {
  RunStream stream;
  return ReadLogThrough(path, reading, sinks, stream);
}

void StreamFleet(const std::vector<std::string>& paths, const std::vector<std::string>& not_inputs,
                 LogReading reading, const std::vector<FleetSink*>& sinks) {
  RunStream stream;
  ForEachFile(paths, not_inputs, [&](const FoundFile& found) {
    if (!found.problem.empty()) {
      // What a folder holds besides logs is passed over as a README is.
      Tell(sinks, {found.path, 0, found.problem, true, found.passed_over});
    } else {
      ReadLogThrough(found.path, reading, sinks, stream);
    }
  });
}

}  // namespace quill::plan
