#ifndef QUILL_PLAN_CHANGE_FLEET_MATRIX_TEXT_H_
#define QUILL_PLAN_CHANGE_FLEET_MATRIX_TEXT_H_

// A matrix of the fleet as it is: only the cells its PCs occupy, each with
// the number of PCs in it and the plan they run, as text and as JSON.
#include <ostream>

#include "plan/change/fleet_facts.h"
#include "plan/matrix/matrix.h"

namespace quill::plan {

// `matrix` made over FleetScope(fleet).
void WriteFleetMatrixText(const Matrix& matrix, const FleetFacts& fleet, std::ostream& out);
void WriteFleetMatrixJson(const Matrix& matrix, const FleetFacts& fleet, std::ostream& out);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_FLEET_MATRIX_TEXT_H_
