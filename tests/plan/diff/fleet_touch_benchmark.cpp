// The built quillplan's diff over a fleet, run as a user runs it: its cost
// follows the fleet's distinct facts, not its PCs. Figures, not a test: it
// ends non-zero past its goal.
//   quill_plan_fleet_touch_bench         10,000 PCs of the diff benchmark's
//                                        deployment (200 models, 4 systems,
//                                        5 languages), two edits
//   quill_plan_fleet_touch_bench --full  100,000 PCs
// The time beyond reading is the diff's, every fact planned on both sides,
// less that of the same fleet against an INI file that plans nothing.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_deployment.h"
#include "bench_process.h"
#include "fleet/fleet_generator.h"
#include "temp_tree.h"

namespace {

using quill::plan::TimedRun;

constexpr double kLimit = 2.0;  // seconds beyond reading the logs

}  // namespace

int main(int argc, char** argv) {
  const int pcs = argc > 1 && std::strcmp(argv[1], "--full") == 0 ? 100000 : 10000;
  quill::plan::TempTree tree;
  const quill::plan::DeploymentShape shape;
  const quill::plan::BenchFiles old_files = WriteBenchDeployment(tree, shape, "old.ini", "image");
  std::string ini = quill::plan::BenchIni(shape);
  ini.replace(ini.find("AppPath=C:\\Apps\\App7\r\n"), 22, "AppPath=C:\\Apps\\Moved7\r\n");
  ini.replace(ini.find("[0x1002]\r\n"), 10, "[0x1002]\r\nAPP51=App0\r\n");
  const std::string new_ini = tree.File("new.ini", ini);
  const std::string nothing = tree.File("nothing.ini", "[Settings]\r\nLogFile=\\quillrun.log\r\n");

  quill::plan::FleetMix mix;
  for (int m = 0; m < shape.machines; ++m)
    mix.system_ids.push_back("0x" + quill::plan::BenchMachineId(m));
  for (int l : {6, 8, 11, 15, 19}) {
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "0x%x", 0x401 + l);
    mix.languages.push_back({lcid, quill::plan::BenchLanguageCode(l)});
  }
  mix.other_files = false;
  const auto start = std::chrono::steady_clock::now();
  // Written by a child: a child's peak as the kernel counts it starts from
  // this process's own, which then never held the generator's truth.
  const pid_t writer = fork();
  if (writer == 0) {
    WriteFleet(tree.Path("logs"), pcs, 5, mix);
    _exit(0);
  }
  waitpid(writer, nullptr, 0);
  int64_t bytes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.Path("logs"))) {
    if (entry.is_regular_file()) bytes += static_cast<int64_t>(entry.file_size());
  }
  std::printf(
      "diff --fleet: %d PCs of %d models x 4 systems x 5 languages, %.1f MB of logs, "
      "written in %.1f s\n",
      pcs, shape.machines, bytes / 1e6,
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

  const long bare = quill::plan::RunTimed({QUILLPLAN_BINARY, "--version"}, "/dev/null").peak_kib;
  const std::string logs = tree.Path("logs");
  const std::vector<std::string> read_only = {QUILLPLAN_BINARY, "diff",    nothing,
                                              nothing,          "--fleet", logs};
  quill::plan::RunTimed(read_only, "/dev/null");  // the logs into the cache
  const TimedRun reading = quill::plan::BestOf(3, 60, read_only, tree.Path("out"));
  // Every fact planned on both sides, not only those of the machines whose
  // sections the edits reach: the most the fleet can cost.
  const TimedRun diff =
      quill::plan::BestOf(3, reading.seconds + kLimit,
                          {QUILLPLAN_BINARY, "diff", old_files.ini, new_ini, "--map",
                           "C:=" + old_files.image, "--every-machine", "--fleet", logs},
                          tree.Path("out"));
  const double beyond = diff.seconds - reading.seconds;
  // What was planned, as the diff tells it.
  std::ifstream out(tree.Path("out"));
  for (std::string line; std::getline(out, line);) {
    if (line.rfind("fleet: ", 0) == 0 || line.rfind("touched: ", 0) == 0) {
      std::printf("diff --fleet: %s\n", line.c_str() + (line[0] == 'f' ? 7 : 0));
    }
  }
  std::printf(
      "diff --fleet: %.3f s, of which reading the logs %.3f s: %.3f s beyond it (goal under "
      "%.0f s); peak %.1f MiB over a bare quillplan%s\n",
      diff.seconds, reading.seconds, beyond, kLimit, (diff.peak_kib - bare) / 1024.0,
      diff.status == 1 ? "" : ", but quillplan found no PC touched");
  return diff.status == 1 && reading.status == 0 && beyond < kLimit ? 0 : 1;
}
