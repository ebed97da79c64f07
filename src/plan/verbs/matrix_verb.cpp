#include "plan/verbs/verbs.h"

#include <memory>

#include "base/utf.h"
#include "plan/change/fleet_cells.h"
#include "plan/change/fleet_matrix_text.h"
#include "plan/matrix/matrix.h"
#include "plan/matrix/matrix_text.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verb_inputs.h"

namespace quill::plan {

int RunMatrixVerb(const MatrixOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  VerbMachine machine;
  if (const int status = machine.Load("matrix", options.ini, options.files, err)) return status;
  PlanPlatform& platform = machine.platform();
  const std::unique_ptr<Workers> workers = MakeWorkers();
  if (!options.fleet.empty()) {
    FleetFacts fleet;
    const int status = LoadFleet("matrix", options.fleet, {}, &fleet, err);
    const Matrix matrix = MakeMatrix(options.files.language_table, platform, FleetScope(fleet),
                                     nullptr, workers.get());
    if (!matrix.problem.empty()) {
      TellError(err, "matrix", options.ini, matrix.problem);
      return kTrouble;
    }
    if (options.json) {
      WriteFleetMatrixJson(matrix, fleet, out);
    } else {
      WriteFleetMatrixText(matrix, fleet, out);
    }
    return status;
  }
  const Matrix matrix =
      WriteMatrixAsMade(options.files.language_table, platform, options.json, out, workers.get());
  if (!matrix.problem.empty()) TellError(err, "matrix", options.ini, matrix.problem);
  return matrix.problem.empty() ? kAllGood : kTrouble;
}

}  // namespace quill::plan
