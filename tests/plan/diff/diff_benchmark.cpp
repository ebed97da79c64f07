// The built quillplan's diff of two generated deployments of 200 machines x
// 50 applications x 100 languages (80,800 cells each), the second with two
// edits, run as a user runs it. Figures, not a test: it ends non-zero past
// its limits.
#include <cstdio>
#include <string>

#include "bench_deployment.h"
#include "bench_process.h"
#include "temp_tree.h"

namespace {

constexpr double kLimitSeconds = 2.0;
constexpr long kLimitKib = 64 * 1024;

}  // namespace

int main() {
  using quill::plan::DeploymentShape;
  quill::plan::TempTree tree;
  const DeploymentShape shape;
  const quill::plan::BenchFiles old_files =
      WriteBenchDeployment(tree, shape, "old.ini", "image");
  // One application moves, one machine gets one more.
  std::string ini = quill::plan::BenchIni(shape);
  ini.replace(ini.find("AppPath=C:\\Apps\\App7\r\n"), 22, "AppPath=C:\\Apps\\Moved7\r\n");
  ini.replace(ini.find("[0x1002]\r\n"), 10, "[0x1002]\r\nAPP51=App0\r\n");
  const std::string new_ini = tree.File("new.ini", ini);
  const long long cells = 4LL * shape.machines * (shape.languages + 1);
  std::printf("diff: %s, two deployments of %lld cells (%d machines x %d applications x %d "
              "languages), best of up to 3 runs; limits %.1f s, %ld MiB\n",
              QUILLPLAN_BINARY, cells, shape.machines, shape.applications_per_machine,
              shape.languages, kLimitSeconds, kLimitKib / 1024);
  const quill::plan::TimedRun run = quill::plan::BestOf(
      3, kLimitSeconds,
      {QUILLPLAN_BINARY, "diff", old_files.ini, new_ini, "--map", "C:=" + old_files.image},
      tree.Path("out"));
  if (run.status != 1) {
    std::printf("diff: quillplan did not find the changes (status %d)\n", run.status);
    return 1;
  }
  std::printf("diff: %.3f s, %.0f cells per second, peak %.1f MiB, %.1f kB of output\n",
              run.seconds, 2 * cells / run.seconds, run.peak_kib / 1024.0,
              run.output_bytes / 1e3);
  return run.seconds < kLimitSeconds && run.peak_kib < kLimitKib ? 0 : 1;
}
