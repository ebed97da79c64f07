#ifndef QUILL_PLAN_CHANGE_FLEET_CELLS_H_
#define QUILL_PLAN_CHANGE_FLEET_CELLS_H_

// The fleet's facts as cells of a matrix: the matrix is made over the
// fleet's own machines and locales alone, so that its cost follows the
// facts and not the PCs nor the deployment's every combination.
#include <vector>

#include "plan/change/fleet_facts.h"
#include "plan/change/plan_diff.h"
#include "plan/matrix/matrix.h"

namespace quill::plan {

MatrixScope FleetScope(const FleetFacts& fleet);

// Each fact's cell in a matrix made over FleetScope, by index (the
// machine's among all of the matrix's); machine -1 where the matrix has no
// row for it (the run ends before its passes, or the machine is left out).
std::vector<DiffCell> FactCells(const FleetFacts& fleet, const Matrix& matrix);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_FLEET_CELLS_H_
