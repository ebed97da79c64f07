// quillplan report over a generated fleet of run logs, run as a whole
// process the way a user runs it: its time next to that of cat reading the
// same files (the floor), their ratio, and its peak memory. Figures, not a
// test: past the goal it says so and ends with status 1.
//   quill_plan_report_bench          20,000 logs (48 MB): scripts/test runs this
//   quill_plan_report_bench --full   100,000 logs (about 295 MB; writing them
//                                    takes minutes on a shared disk)
//   quill_plan_report_bench LOGS
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fleet/fleet_generator.h"
#include "temp_tree.h"

namespace {

constexpr double kGoalRatio = 1.5;
constexpr double kGoalMiB = 64.0;

struct Measured {
  double seconds = 0;
  double peak_mib = 0;
  int status = -1;
};

// One child process, its output thrown away; wall time and peak memory.
// A forked child's peak memory counts this process's pages until it runs
// the command: the truth's runs are let go before any is started.
Measured Run(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", (command + " >/dev/null 2>&1").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Measured measured;
  measured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measured.peak_mib = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return measured;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string wanted = argc > 1 ? argv[1] : "";
  const int logs = wanted.empty() ? 20000 : wanted == "--full" ? 100000 : std::atoi(wanted.c_str());
  quill::plan::TempTree tree;
  const std::string fleet = tree.Directory("fleet");
  std::printf("report: generating %d run logs ...\n", logs);
  std::fflush(stdout);
  auto start = std::chrono::steady_clock::now();
  quill::plan::FleetTruth truth = quill::plan::WriteFleet(fleet, logs, 11);
  std::printf("report: %lld logs, %.1f MB, %lld runs, %lld application runs, written in %.1f s\n",
              static_cast<long long>(truth.log_files), truth.bytes / 1e6,
              static_cast<long long>(truth.runs), static_cast<long long>(truth.application_runs),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

  std::vector<quill::plan::RunTruth>().swap(truth.run_list);
  malloc_trim(0);

  // The best of two each: the first cat also brings the files into the cache.
  const std::string cat = "find '" + fleet + "' -type f -exec cat {} +";
  const std::string report = std::string(QUILLPLAN_BINARY) + " report '" + fleet + "'";
  Measured floor = Run(cat);
  Measured measured = Run(report);
  std::printf("report: first runs %.2f s (cat), %.2f s (quillplan)\n", floor.seconds, measured.seconds);
  std::fflush(stdout);
  const Measured floor_again = Run(cat);
  if (floor_again.seconds < floor.seconds) floor = floor_again;
  const Measured measured_again = Run(report);
  if (measured_again.seconds < measured.seconds) measured = measured_again;
  // Exit status 1: the generated share holds files that are not logs.
  if (measured.status != 1) {
    std::printf("report: quillplan ended with status %d, not 1\n", measured.status);
    return 1;
  }
  const double ratio = measured.seconds / floor.seconds;
  std::printf("report: %s\n", QUILLPLAN_BINARY);
  std::printf("report: %.2f s, cat of the same files %.2f s: %.1fx the floor; peak memory %.1f MiB\n",
              measured.seconds, floor.seconds, ratio, measured.peak_mib);
  const bool met = ratio < kGoalRatio && measured.peak_mib < kGoalMiB;
  std::printf("report: goal under %.1fx and %.0f MiB: %s\n", kGoalRatio, kGoalMiB,
              met ? "met" : "NOT met");
  return met ? 0 : 1;
}
