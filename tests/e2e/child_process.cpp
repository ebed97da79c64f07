#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace quill::e2e {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const ProcessCommand& command) {
  char path[] = "/tmp/quill-e2e-output-XXXXXX";
  const int output = mkstemp(path);
  if (output < 0 || command.argv.empty()) return;
  output_path_ = path;

  std::vector<std::string> argv = command.argv;
  std::vector<std::string> environment = command.environment;
  std::vector<char*> argv_pointers = Pointers(argv);
  std::vector<char*> environment_pointers = Pointers(environment);

  pid_ = fork();
  if (pid_ == 0) {
    // Its own process group, so that a time limit ends its children too.
    setpgid(0, 0);
    const int nothing = open("/dev/null", O_RDONLY);
    dup2(nothing, 0);
    dup2(output, 1);
    dup2(output, 2);
    if (!command.working_directory.empty() && chdir(command.working_directory.c_str()) != 0) _exit(126);
    environ = environment_pointers.data();
    execvp(argv_pointers[0], argv_pointers.data());
    _exit(127);
  }
  close(output);
}

ChildProcess::~ChildProcess() {
  if (started() && !reaped_) {
    kill(-pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (!output_path_.empty()) unlink(output_path_.c_str());
}

void ChildProcess::Reap(int status) {
  reaped_ = true;
  status_ = status;
}

bool ChildProcess::HasEnded() {
  if (!started()) return true;
  if (reaped_) return true;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) Reap(status);
  return reaped_;
}

ProcessOutcome ChildProcess::Wait(double seconds) {
  ProcessOutcome outcome;
  if (!started()) {
    outcome.output = "could not start the process";
    return outcome;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!HasEnded() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  outcome.finished = HasEnded();
  if (!outcome.finished) {
    kill(-pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    Reap(status);
  }
  outcome.exit_status = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  outcome.output = ReadOutput();
  return outcome;
}

std::string ChildProcess::ReadOutput() const {
  std::ifstream file(output_path_, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

ProcessOutcome RunProcess(const ProcessCommand& command, double seconds) {
  ChildProcess child(command);
  return child.Wait(seconds);
}

std::vector<std::string> InheritedEnvironment(const std::vector<std::string>& dropped_prefixes) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    bool dropped = false;
    for (const std::string& prefix : dropped_prefixes) {
      dropped = dropped || text.compare(0, prefix.size(), prefix) == 0;
    }
    if (!dropped) environment.push_back(text);
  }
  return environment;
}

std::string ShellOutput(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
  pclose(pipe);
  return text;
}

}  // namespace quill::e2e
