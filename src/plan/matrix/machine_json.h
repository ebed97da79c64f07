#ifndef QUILL_PLAN_MATRIX_MACHINE_JSON_H_
#define QUILL_PLAN_MATRIX_MACHINE_JSON_H_

// A machine of a matrix as JSON text, exactly as dump(2) of its JSON value
// writes it, at a depth: each launch is dumped once, however many of the
// machine's variants show it.
#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/matrix/matrix.h"

namespace quill::plan {

nlohmann::ordered_json MachineJson(const MachineMatrix& machine);
// dump(2) of MachineJson, every line after the first indented by `indent`.
std::string MachineJsonText(const MachineMatrix& machine, size_t indent);

}  // namespace quill::plan

#endif  // QUILL_PLAN_MATRIX_MACHINE_JSON_H_
