#ifndef QUILL_PLATFORM_PROCESSES_H_
#define QUILL_PLATFORM_PROCESSES_H_

// Why: installers are separate processes that the program starts, polls or
// waits on, and leaves alone; the tests replace them with scripted ones on a
// fake clock.
#include <cstdint>
#include <vector>

#include "platform/wide_string.h"

namespace quill {

constexpr uint32_t kStillActive = 259;
constexpr uint32_t kNormalPriorityClass = 0x20;
constexpr uint32_t kStartfUsePosition = 0x4;
// The process is made with its first thread stopped, so that it can be put
// in a job before it starts anything.
constexpr uint32_t kCreateSuspended = 0x4;

// How a process is asked for: the values that go into the creation call.
struct ProcessRequest {
  bool security_inherit_handle = true;  // in both security-attribute records
  bool inherit_handles = false;
  uint32_t creation_flags = kNormalPriorityClass;
  uint32_t startup_flags = kStartfUsePosition;
  int32_t x = 0;
  int32_t y = 0;
  // The file to run, by full path with its extension; empty: the platform
  // takes it from the command line's first token, searching as it does.
  WString program;
};

using ProcessHandle = uint64_t;

// How a bounded wait on a process ended.
enum class ProcessWait { kEnded, kStillRunning, kFailed };

class Processes {
 public:
  virtual ~Processes() = default;

  // `command_line` is NUL-terminated and writable, as the platform may change
  // it; the program is taken from its first token. False: no process exists.
  virtual bool StartProcess(std::vector<char16_t>* command_line, const ProcessRequest& request,
                            ProcessHandle* process) = 0;
  // False when the query fails; reads kStillActive while the process runs.
  virtual bool QueryExitCode(ProcessHandle process, uint32_t* exit_code) = 0;
  // A zero-time wait: true while the process has not ended.
  virtual bool IsStillRunning(ProcessHandle process) = 0;
  // Returns when the process ends or `milliseconds` have passed, whichever
  // comes first.
  virtual ProcessWait WaitForEnd(ProcessHandle process, uint32_t milliseconds) = 0;
  // Lets a process started suspended run. False: it stays stopped.
  virtual bool ResumeProcess(ProcessHandle process) = 0;
  // Ends the process alone with `exit_code`; what it started goes on.
  virtual bool EndProcess(ProcessHandle process, uint32_t exit_code) = 0;
  // Releases the process and thread handles; the process goes on.
  virtual void CloseProcessHandles(ProcessHandle process) = 0;
  virtual void Pause(uint32_t milliseconds) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_PROCESSES_H_
