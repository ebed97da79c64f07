// Every one of the 80,800 cells of the benchmark's deployment against the
// core's run of that cell alone: a test program of its own, built with the
// optimised core, as the unit tests' unoptimised one takes minutes for it.
#include <gtest/gtest.h>

#include "matrix/every_cell.h"

namespace quill::plan {
namespace {

TEST(MatrixProof, EveryCellOfTheBenchmarksDeploymentIsItsOwnRun) {
  ExpectEveryCellIsItsOwnRun(DeploymentShape(), MatrixScope());
}

}  // namespace
}  // namespace quill::plan
