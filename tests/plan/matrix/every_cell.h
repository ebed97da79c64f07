#ifndef QUILL_TESTS_PLAN_MATRIX_EVERY_CELL_H_
#define QUILL_TESTS_PLAN_MATRIX_EVERY_CELL_H_

// The proof of a matrix: each cell against the core's run of it alone.
#include <functional>
#include <vector>

#include "bench_deployment.h"
#include "plan/matrix/matrix.h"

namespace quill::plan {

// Tasks one after the other, the last first, as a second core may finish
// before the first; each Run's count is kept.
class ReversedWorkers : public Workers {
 public:
  size_t Count() override { return 3; }
  void Run(size_t count, const std::function<void(size_t)>& task) override {
    runs.push_back(count);
    for (size_t i = count; i-- > 0;) task(i);
  }
  std::vector<size_t> runs;
};

// Languages a run cannot tell apart share one run of the core, and the
// machines go to workers: every cell of the generated deployment's matrix
// (over its own scope and `more`) must still be what the core answers when
// the cell is run alone. Reports the first cell that is not.
void ExpectEveryCellIsItsOwnRun(const DeploymentShape& shape, const MatrixScope& more);

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_MATRIX_EVERY_CELL_H_
