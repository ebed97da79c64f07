#include "matrix/every_cell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "plan/host/workers.h"
#include "plan_fixture.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

// A deployment planned on a platform of its own, as `quillplan plan` and
// `quillplan matrix` make it.
struct BenchMachine {
  BenchMachine(const std::string& ini_text, const std::string& image)
      : ini(IniFile::FromBytes(ini_text)) {
    PathMap map;
    map.Add({u"C:", image});
    files = std::make_unique<MachineFiles>(std::move(map), Assumption::kPresent);
    platform = std::make_unique<PlanPlatform>(ini, u"deploy.ini", *files);
  }
  IniFile ini;
  std::unique_ptr<MachineFiles> files;
  std::unique_ptr<PlanPlatform> platform;
};

// Empty when the cell is what the core's run of it gives; else what differs.
std::string CellAgainstItsRun(const Matrix& matrix, const MachineMatrix& machine, size_t l,
                              size_t s, PlanPlatform& platform) {
  PlanRequest request;
  request.machine_id = machine.system_id.substr(2);
  request.windows = matrix.systems[s];
  request.language = matrix.languages[l].choice;
  const Plan run = PlanRun(request, platform);

  const MatrixVariant& variant = machine.variants[machine.cells[l][s]];
  Plan cell;
  cell.passes.push_back(machine.pass0[variant.pass0]);
  if (variant.pass1 >= 0) cell.passes.push_back(machine.pass1[variant.pass1]);
  for (PassPlan& pass : cell.passes) {
    for (PlanEntry& entry : pass.entries) {
      ReplaceAll(entry.command_line, u"<code>", run.language.language_code);
      ReplaceAll(entry.handed, u"<code>", run.language.language_code);
    }
  }
  const std::vector<std::string> ran = PlanFixture::Lines(run);
  const std::vector<std::string> told = PlanFixture::Lines(cell);
  if (ran == told && run.exit_code == variant.exit_code && run.ending == variant.ending) {
    return std::string();
  }
  std::string verdict = ToUtf8(machine.system_id) + " " + ToUtf8(matrix.languages[l].label) +
                        " system " + std::to_string(s) + ": exit code " +
                        std::to_string(run.exit_code) + " / " + std::to_string(variant.exit_code);
  for (size_t i = 0; i < std::max(ran.size(), told.size()); ++i) {
    verdict += "\n  run:  " + (i < ran.size() ? ran[i] : "") +
               "\n  cell: " + (i < told.size() ? told[i] : "");
  }
  return verdict;
}

}  // namespace

void ExpectEveryCellIsItsOwnRun(const DeploymentShape& shape, const MatrixScope& more) {
  TempTree tree;
  const BenchFiles files = WriteBenchDeployment(tree, shape, "deploy.ini", "image");
  const std::string ini = BenchIni(shape);
  BenchMachine whole(ini, files.image);
  ReversedWorkers workers;
  const Matrix matrix = MakeMatrix("", *whole.platform, more, nullptr, &workers);
  ASSERT_TRUE(matrix.problem.empty()) << matrix.problem;
  ASSERT_EQ(shape.machines + more.machines.size(), matrix.machines.size());
  EXPECT_EQ(std::vector<size_t>{3}, workers.runs);

  // The cells' own runs go side by side, each worker on a platform of its
  // own, each machine's verdict kept for the end.
  const std::unique_ptr<Workers> cores = MakeWorkers();
  const size_t count = std::min<size_t>(cores->Count(), 4);
  std::vector<std::string> wrong(matrix.machines.size());
  std::vector<size_t> cells(count, 0);
  cores->Run(count, [&](size_t which) {
    BenchMachine alone(ini, files.image);
    for (size_t m = which; m < matrix.machines.size(); m += count) {
      const MachineMatrix& machine = matrix.machines[m];
      for (size_t l = 0; l < matrix.languages.size() && wrong[m].empty(); ++l) {
        for (size_t s = 0; s < matrix.systems.size() && wrong[m].empty(); ++s) {
          wrong[m] = CellAgainstItsRun(matrix, machine, l, s, *alone.platform);
          ++cells[which];
        }
      }
    }
  });
  for (const std::string& verdict : wrong) {
    if (!verdict.empty()) ADD_FAILURE() << verdict;
  }
  size_t compared = 0;
  for (size_t each : cells) compared += each;
  EXPECT_EQ(matrix.cells, compared);
}

}  // namespace quill::plan
