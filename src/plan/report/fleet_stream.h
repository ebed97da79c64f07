#ifndef QUILL_PLAN_REPORT_FLEET_STREAM_H_
#define QUILL_PLAN_REPORT_FLEET_STREAM_H_

// Every file under the paths read once, in order, one run at a time, and
// handed to each sink as it is read: nothing of a run is kept after its
// turn, so a log of any size costs the memory of one run.
#include <cstdint>
#include <string>
#include <vector>

#include "plan/report/run_report.h"
#include "plan/report/run_stream.h"

namespace quill::plan {

// A file skipped, or a log read with lines it could not place.
struct FileProblem {
  std::string file;
  int64_t line = 0;  // 0 when no line tells more
  std::string reason;
  bool skipped = true;  // false: the file was read and counted all the same
  bool no_log = false;  // skipped as a file that is no run log (a README among the logs)
};

class FleetSink {
 public:
  virtual ~FleetSink() = default;
  // The runs of a log as they are read, numbered from 1 in their file.
  virtual void TakeRun(const std::string& file, int64_t number, const RunRow& run) = 0;
  // After its last run: the file was a log.
  virtual void EndLog(const std::string& file, const LogTally& tally) = 0;
  virtual void TakeProblem(const FileProblem& problem) = 0;
};

// kSkim: a file whose opening shows no banner is passed over unread, so a
// share's installers and archives cost almost nothing. kWhole: a file named
// alone is read to its end all the same.
enum class LogReading { kSkim, kWhole };

// Reads one file as a run log into the sinks. False when it was no log;
// its problems go to the sinks.
bool ReadFleetLog(const std::string& path, LogReading reading,
                  const std::vector<FleetSink*>& sinks);

// `not_inputs`: files this report writes, never read as logs.
void StreamFleet(const std::vector<std::string>& paths, const std::vector<std::string>& not_inputs,
                 LogReading reading, const std::vector<FleetSink*>& sinks);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FLEET_STREAM_H_
