// The built quillplan's matrix over generated deployments, run as a user
// runs it: the time, the peak memory and the output, in text and in JSON.
// Figures, not a test: it ends non-zero when the first deployment is past
// its limits.
//   quill_plan_matrix_bench          80,800 cells, text and JSON
//   quill_plan_matrix_bench --full   and 1,004,000 cells in text (some
//                                    seconds more, so scripts/test leaves it out)
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_deployment.h"
#include "bench_process.h"
#include "temp_tree.h"

namespace {

constexpr double kLimitSeconds = 1.0;
constexpr double kMillionLimitSeconds = 10.0;
constexpr long kLimitKib = 64 * 1024;

using quill::plan::DeploymentShape;

// Prints one line per format, each figure beside its goal; true when each
// is within them.
bool Measure(const DeploymentShape& shape, int runs, bool json, double limit_seconds) {
  quill::plan::TempTree tree;
  const quill::plan::BenchFiles files = WriteBenchDeployment(tree, shape, "deploy.ini", "image");
  const long long cells = 4LL * shape.machines * (shape.languages + 1);
  std::printf("matrix: %d machines x %d applications x %d languages (+ an unknown locale) x 4 "
              "systems = %lld cells\n",
              shape.machines, shape.applications_per_machine, shape.languages, cells);
  bool within = true;
  for (const char* format : {"text", "json"}) {
    if (!json && format == std::string("json")) continue;
    std::vector<std::string> arguments = {QUILLPLAN_BINARY, "matrix", files.ini,
                                          "--map", "C:=" + files.image};
    if (format == std::string("json")) arguments.push_back("--json");
    const quill::plan::TimedRun run =
        quill::plan::BestOf(runs, limit_seconds, arguments, tree.Path("out"));
    if (run.status != 0) {
      std::printf("matrix: %s: quillplan failed (status %d)\n", format, run.status);
      return false;
    }
    std::printf("matrix: %-4s %.3f s (goal under %.0f s), peak %.1f MiB (goal under %ld MiB), "
                "%.0f cells per second, %.1f MB of output\n",
                format, run.seconds, limit_seconds, run.peak_kib / 1024.0, kLimitKib / 1024,
                cells / run.seconds, run.output_bytes / 1e6);
    within = within && run.seconds < limit_seconds && run.peak_kib < kLimitKib;
  }
  return within;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("matrix: %s, best of up to 3 runs (the machine is shared)\n", QUILLPLAN_BINARY);
  bool within = Measure(DeploymentShape{}, 3, true, kLimitSeconds);
  if (argc < 2 || std::strcmp(argv[1], "--full") != 0) return within ? 0 : 1;
  DeploymentShape fleet;
  fleet.machines = 1000;
  fleet.languages = 250;
  // In text: it is twelve times the cells.
  within = Measure(fleet, 3, false, kMillionLimitSeconds) && within;
  return within ? 0 : 1;
}
