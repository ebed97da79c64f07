// The built quillplan's diff, run as a user runs it, each figure beside its
// goal. Figures, not a test: it ends non-zero past a goal.
//   quill_plan_diff_bench         two deployments of 200 machines x 50
//                                 applications x 100 languages (80,800 cells
//                                 each), the second with two edits; and one
//                                 application changed in one machine
//                                 section of 12,500 and of 25,000
//   quill_plan_diff_bench --full  and of 50,000 and 100,000 (a minute more)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_deployment.h"
#include "bench_process.h"
#include "temp_tree.h"

namespace {

using quill::plan::DeploymentShape;
using quill::plan::TimedRun;

constexpr long kLimitKib = 64 * 1024;

TimedRun Diff(const quill::plan::TempTree& tree, const std::string& old_ini,
              const std::string& new_ini, const std::string& image, double limit) {
  return quill::plan::BestOf(3, limit,
                             {QUILLPLAN_BINARY, "diff", old_ini, new_ini, "--map", "C:=" + image},
                             tree.Path("out"));
}

bool Within(const TimedRun& run, double limit) {
  return run.status == 1 && run.seconds < limit && run.peak_kib < kLimitKib;
}

void Print(const char* what, const TimedRun& run, double limit) {
  std::printf("diff: %s: %.3f s (goal under %.0f s), peak %.1f MiB (goal under %ld MiB)%s\n", what,
              run.seconds, limit, run.peak_kib / 1024.0, kLimitKib / 1024,
              run.status == 1 ? "" : ", but quillplan did not find the change");
}

// Two edits of the benchmark's deployment.
bool TwoEdits() {
  constexpr double kLimit = 2.0;
  quill::plan::TempTree tree;
  const DeploymentShape shape;
  const quill::plan::BenchFiles old_files = WriteBenchDeployment(tree, shape, "old.ini", "image");
  // One application moves, one machine gets one more.
  std::string ini = quill::plan::BenchIni(shape);
  ini.replace(ini.find("AppPath=C:\\Apps\\App7\r\n"), 22, "AppPath=C:\\Apps\\Moved7\r\n");
  ini.replace(ini.find("[0x1002]\r\n"), 10, "[0x1002]\r\nAPP51=App0\r\n");
  const std::string new_ini = tree.File("new.ini", ini);
  const TimedRun run = Diff(tree, old_files.ini, new_ini, old_files.image, kLimit);
  Print("200 machines x 50 applications x 100 languages, two edits", run, kLimit);
  return Within(run, kLimit);
}

// `machines` sections of 5 applications, the list of one changed; the
// seconds it took, or a negative number when it failed.
double OneChanged(int machines, bool* within) {
  constexpr double kLimit = 5.0;
  quill::plan::TempTree tree;
  DeploymentShape shape;
  shape.machines = machines;
  shape.applications_per_machine = 5;
  const quill::plan::BenchFiles old_files = WriteBenchDeployment(tree, shape, "old.ini", "image");
  std::string ini = quill::plan::BenchIni(shape);
  const size_t list = ini.find("APP1=", ini.find("[0x1002]\r\n"));
  ini.replace(list, ini.find("\r\n", list) - list, "APP1=App299");
  const std::string new_ini = tree.File("new.ini", ini);
  const TimedRun run = Diff(tree, old_files.ini, new_ini, old_files.image, kLimit);
  const std::string what = std::to_string(machines) + " machines x 5 applications, one changed";
  Print(what.c_str(), run, kLimit);
  *within = *within && Within(run, kLimit);
  return run.status == 1 ? run.seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool full = argc > 1 && std::strcmp(argv[1], "--full") == 0;
  std::printf("diff: %s, best of up to 3 runs (the machine is shared)\n", QUILLPLAN_BINARY);
  bool within = TwoEdits();
  std::vector<int> sizes = {12500, 25000};
  if (full) sizes.insert(sizes.end(), {50000, 100000});
  double before = 0;
  double first = 0;
  bool steps_within = true;
  for (int machines : sizes) {
    const double seconds = OneChanged(machines, &within);
    if (before > 0 && seconds > 0) {
      std::printf("diff: twice the machines, %.2f times the time (goal at most 2)\n",
                  seconds / before);
      steps_within = steps_within && seconds / before <= 2.0;
    }
    if (first == 0) first = seconds;
    before = seconds;
  }
  // One step is within the noise of a shared machine; the whole range is not.
  if (sizes.size() > 2 && first > 0) {
    const double growth = static_cast<double>(sizes.back()) / sizes.front();
    std::printf("diff: %.0f times the machines, %.2f times the time (goal at most %.0f)\n", growth,
                before / first, growth);
    within = within && before / first <= growth;
  } else {
    within = within && steps_within;
  }
  return within ? 0 : 1;
}
