#ifndef QUILL_PLATFORM_PROCESS_JOBS_H_
#define QUILL_PLATFORM_PROCESS_JOBS_H_

// Why: many installers only launch the real one and exit at once, so the
// end of the started process says nothing of the installation. A job
// object holds the process and everything it starts, tells through its
// completion port when the last of them has ended, and can end them all.
// The tests model trees that outlive their root, refused jobs and
// processes that will not end.
#include <cstdint>

#include "platform/processes.h"

namespace quill {

using JobHandle = uint64_t;

class ProcessJobs {
 public:
  virtual ~ProcessJobs() = default;

  // A job of its own, with a completion port, that lets no process break
  // away and leaves its processes running when it is closed.
  virtual bool CreateProcessJob(JobHandle* job) = 0;
  // False when the process cannot join: before Windows 8 one already in a
  // job (a task sequence's) cannot join another.
  virtual bool AssignToJob(JobHandle job, ProcessHandle process) = 0;
  // Returns when no process of the job is left or `milliseconds` have
  // passed; kEnded at once for a job already empty.
  virtual ProcessWait WaitForJobEnd(JobHandle job, uint32_t milliseconds) = 0;
  // The processes of the job that still run.
  virtual bool CountJobProcesses(JobHandle job, uint32_t* count) = 0;
  // Ends every process of the job with `exit_code`.
  virtual bool TerminateJob(JobHandle job, uint32_t exit_code) = 0;
  // Releases the job and its port; its processes go on.
  virtual void CloseJob(JobHandle job) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_PROCESS_JOBS_H_
