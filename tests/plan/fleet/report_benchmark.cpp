// quillplan report over a generated fleet of run logs, run as a whole
// process the way a user runs it: its time next to that of cat reading the
// same files (the floor), their ratio, and its peak memory. Figures, not a
// test: past the goal it says so and ends with status 1.
// Then one log of one run of many applications, reported in every form:
// its memory is that of a few thousand applications, whatever the run's size.
//   quill_plan_report_bench          20,000 logs (48 MB) and a run of 100,000
//                                    applications: scripts/test runs this
//   quill_plan_report_bench --full   100,000 logs (about 295 MB; writing them
//                                    takes minutes on a shared disk) and a run
//                                    of 1,000,000 applications
//   quill_plan_report_bench LOGS [APPLICATIONS]
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/utf.h"
#include "log/log_record.h"
#include "log/time_stamp.h"
#include "plan/text/civil_time.h"

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

void Record(std::ofstream& log, quill::LogRecord record, std::vector<quill::WString> texts = {},
            int32_t number = 0) {
  log << quill::EncodeLogText(quill::FormatLogRecord(record, {std::move(texts), number}));
}

// One run of `apps` applications, a second each, thirty names among them
// as a fleet has; one in seven fails by its exit code.
void WriteOneRun(const std::string& path, int64_t apps) {
  using quill::LogRecord;
  std::ofstream log(path, std::ios::binary);
  const int64_t start = 1796000000;
  const auto stamped = [&log](LogRecord record, int64_t seconds) {
    const quill::TimeStamp stamp = quill::FormatTimeStamp(quill::plan::CivilFromSeconds(seconds));
    Record(log, record, {stamp.time, stamp.date});
  };
  Record(log, LogRecord::kBannerFirstLine);
  stamped(LogRecord::kBannerSecondLine, start);
  Record(log, LogRecord::kBannerThirdLine);
  Record(log, LogRecord::kSystemIdentity, {u"0x1000"});
  Record(log, LogRecord::kOSTypeIdentity, {u"WINXP"});
  Record(log, LogRecord::kLocaleLanguage, {u"0x409"});
  Record(log, LogRecord::kCodeLanguage, {u"12"});
  for (int64_t i = 0; i < apps; ++i) {
    const quill::WString name = quill::FromUtf8("App" + std::to_string(i % 30));
    Record(log, LogRecord::kProcessing, {u"0xFFFF", name});
    Record(log, LogRecord::kLaunched, {u"C:\\Apps\\" + name + u"\\setup.exe /S"});
    stamped(LogRecord::kStart, start + i);
    stamped(LogRecord::kEnd, start + i + 1);
    Record(log, LogRecord::kResultFinished, {}, 1);
    Record(log, LogRecord::kExitCode,
           {i % 7 == 0 ? u"1603" : u"0", i % 7 == 0 ? u"failure" : u"success"});
  }
}

// Peak memory of each form of the report of one long run.
bool OneLongRun(quill::plan::TempTree& tree, int64_t apps) {
  const std::string log = tree.Path("long/run.log");
  std::printf("report: writing one run of %lld applications ...\n", static_cast<long long>(apps));
  std::fflush(stdout);
  tree.Directory("long");
  WriteOneRun(log, apps);
  const std::string quillplan = std::string(QUILLPLAN_BINARY) + " report '" + log + "'";
  bool met = true;
  for (const auto& [form, options] :
       {std::pair<const char*, std::string>{"table", ""},
        {"JSON", " --json"},
        {"CSV and page", " --csv '" + tree.Path("long/runs.csv") + "' --html '" +
                             tree.Path("long/runs.html") + "'"},
        {"fleet", " --fleet"},
        {"fleet JSON", " --fleet --json"}}) {
    const Measured measured = Run(quillplan + options);
    const bool within = measured.status == 0 && measured.peak_mib < kGoalMiB;
    std::printf(
        "report: one run of %lld applications, %s: %.2f s, peak memory %.1f MiB, status %d: %s\n",
        static_cast<long long>(apps), form, measured.seconds, measured.peak_mib, measured.status,
        within ? "within the goal" : "NOT within the goal");
    met = met && within;
  }
  return met;
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
  bool met = ratio < kGoalRatio && measured.peak_mib < kGoalMiB;
  std::printf("report: goal under %.1fx and %.0f MiB: %s\n", kGoalRatio, kGoalMiB,
              met ? "met" : "NOT met");
  const int64_t apps = argc > 2 ? std::atoll(argv[2]) : wanted == "--full" ? 1000000 : 100000;
  met = OneLongRun(tree, apps) && met;
  return met ? 0 : 1;
}
