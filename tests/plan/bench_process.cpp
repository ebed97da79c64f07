#include "bench_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace quill::plan {

TimedRun RunTimed(const std::vector<std::string>& arguments, const std::string& output_file,
                  const std::string& error_file) {
  TimedRun run;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!error_file.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peak_kib = usage.ru_maxrss;
  struct stat written {};
  if (stat(output_file.c_str(), &written) == 0) run.output_bytes = written.st_size;
  return run;
}

TimedRun BestOf(int runs, double limit, const std::vector<std::string>& arguments,
                const std::string& output_file) {
  TimedRun best = RunTimed(arguments, output_file);
  for (int run = 1; run < runs && best.status >= 0 && best.seconds >= limit &&
                         best.seconds < 2 * limit;
       ++run) {
    const TimedRun next = RunTimed(arguments, output_file);
    if (next.status >= 0 && next.seconds < best.seconds) best = next;
  }
  return best;
}

}  // namespace quill::plan
