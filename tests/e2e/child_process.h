#ifndef QUILL_TESTS_E2E_CHILD_PROCESS_H_
#define QUILL_TESTS_E2E_CHILD_PROCESS_H_

// Linux processes the end-to-end harness starts (wine, wineserver, Xvfb,
// xdotool): an exact environment, a working directory, a time limit, and
// the output kept in a file so that no pipe can fill up and stall them.
#include <sys/types.h>

#include <string>
#include <vector>

namespace quill::e2e {

struct ProcessCommand {
  std::vector<std::string> argv;         // argv[0] is looked up in PATH
  std::vector<std::string> environment;  // "NAME=value", the whole environment
  std::string working_directory;         // empty: the harness's own
};

struct ProcessOutcome {
  bool finished = false;  // false: still running at the time limit, then killed
  int exit_status = -1;   // the exit status, or 128 + signal
  std::string output;     // standard output and standard error together
};

class ChildProcess {
 public:
  // Starts at once; `started()` tells whether it could.
  explicit ChildProcess(const ProcessCommand& command);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // Waits up to `seconds`; at the limit the process (and its group) is killed.
  ProcessOutcome Wait(double seconds);
  bool HasEnded();

 private:
  std::string ReadOutput() const;
  void Reap(int status);

  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string output_path_;
};

// Runs to the end or to the time limit.
ProcessOutcome RunProcess(const ProcessCommand& command, double seconds);

// This process's environment, without the variables whose names begin
// with one of `dropped_prefixes`.
std::vector<std::string> InheritedEnvironment(const std::vector<std::string>& dropped_prefixes);

// What a shell command prints on standard output; "" when it cannot run.
std::string ShellOutput(const std::string& command);

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_CHILD_PROCESS_H_
