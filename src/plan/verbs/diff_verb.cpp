#include "plan/verbs/verbs.h"

#include <sstream>
#include <memory>
#include <utility>
#include <vector>

#include "plan/diff/diff_text.h"
#include "plan/diff/plan_diff.h"
#include "plan/diff/same_reads.h"
#include "plan/fleetplan/fleet_cells.h"
#include "plan/fleetplan/fleet_touch.h"
#include "plan/fleetplan/touch_text.h"
#include "plan/lint/deployment_lint.h"
#include "plan/matrix/matrix.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/text/shown_text.h"

namespace quill::plan {

namespace {

// Both sides' files answer alike only when they are given alike.
bool SameFiles(const MachineFileOptions& a, const MachineFileOptions& b) {
  return a.maps == b.maps && a.language_table == b.language_table &&
         a.assume_missing == b.assume_missing;
}

// One deployment of the two: the sides are independent until they are
// compared, so they are read, planned and linted side by side.
struct Side {
  Side(const std::string& ini_path, const MachineFileOptions& file_options)
      : ini(ini_path), files(file_options) {}
  const std::string& ini;
  const MachineFileOptions& files;
  VerbMachine machine;
  std::ostringstream err;  // told in the sides' order
  int load_status = kAllGood;
  MatrixScope scope;
  Matrix matrix;
  std::vector<Finding> findings;
};

}  // namespace

int RunDiffVerb(const DiffOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  const bool with_fleet = !options.fleet.empty();
  if (!options.csv.empty() && !with_fleet) {
    TellError(err, "diff", "--csv", "lists the PCs of a fleet; give --fleet");
    return kUsage;
  }
  Output csv_file("diff");
  if (!csv_file.Open(options.csv, raw_out, err)) return kTrouble;
  FleetFacts fleet;
  int fleet_status = kAllGood;
  if (with_fleet) {
    std::vector<std::string> not_inputs;
    if (csv_file.is_file()) not_inputs.push_back(csv_file.path());
    fleet_status = LoadFleet("diff", options.fleet, not_inputs, &fleet, err);
  }
  const std::unique_ptr<Workers> workers = MakeWorkers();
  Side sides[] = {{options.old_ini, options.old_files}, {options.new_ini, options.new_files}};
  workers->Run(2, [&](size_t i) {
    Side& side = sides[i];
    side.load_status = side.machine.Load("diff", side.ini, side.files, side.err);
    if (side.load_status == kAllGood) {
      side.scope = ScopeOf(side.files.language_table, side.machine.platform());
    }
  });
  for (const Side& side : sides) {
    err << side.err.str();
    if (side.load_status != kAllGood) return side.load_status;
  }
  // Each side over both sides' machines and locales: the same cells.
  Side& before = sides[0];
  Side& after = sides[1];
  // Each side adds the other's machines it lacks: only those are kept, and
  // the long lists go before the matrices are made.
  std::vector<WString> after_only = MissingNames(after.scope.machines, before.scope.machines);
  std::vector<WString> before_only = MissingNames(before.scope.machines, after.scope.machines);
  MatrixScope fleet_scope;
  if (with_fleet) fleet_scope = FleetScope(fleet);
  std::shared_ptr<std::vector<WString>> planned_only;
  if (!options.every_machine && SameFiles(options.old_files, options.new_files)) {
    // Every machine a matrix may hold is looked at, one list after the
    // other: one not looked at would be left out unseen.
    const std::vector<WString> fleet_only =
        MissingNames(MissingNames(fleet_scope.machines, before.scope.machines), after_only);
    planned_only = std::make_shared<std::vector<WString>>();
    const std::vector<WString>* lists[] = {&before.scope.machines, &after_only, &fleet_only};
    for (const std::vector<WString>* machines : lists) {
      const std::vector<WString> otherwise = MachinesReadingOtherwise(
          before.machine.platform().ini(), after.machine.platform().ini(), *machines);
      planned_only->insert(planned_only->end(), otherwise.begin(), otherwise.end());
    }
  }
  MatrixScope more[] = {std::move(after.scope), std::move(before.scope)};
  if (with_fleet) {
    more[0] = more[1] = std::move(fleet_scope);
  } else {
    more[0].machines = std::move(after_only);
    more[1].machines = std::move(before_only);
  }
  more[0].planned_only = more[1].planned_only = planned_only;
  workers->Run(2, [&](size_t i) {
    Side& side = sides[i];
    // One planner a side: the sides already take both cores, and another
    // planner would copy what is known of the files.
    side.matrix = MakeMatrix(side.files.language_table, side.machine.platform(), more[i],
                             nullptr, nullptr);
    // Its lists of machines are in the matrix now, or in none of it.
    more[i] = MatrixScope();
    if (side.matrix.problem.empty()) {
      side.findings = LintDeployment(side.ini, side.files.language_table, side.machine.platform());
    }
  });
  for (const Side& side : sides) {
    if (!side.matrix.problem.empty()) {
      TellError(err, "diff", side.ini, side.matrix.problem);
      return kTrouble;
    }
  }
  if (with_fleet) {
    FleetTouch touch;
    TouchFleet(before.matrix, after.matrix, fleet, &touch);
    touch.diff.new_findings = NewFindings(before.findings, after.findings);
    const int status = fleet_status != kAllGood ? fleet_status
                       : touch.touched_pcs > 0  ? kFound
                                                : kAllGood;
    // The CSV's cells are made inert as report's are.
    if (csv_file.stream() != nullptr) {
      WriteTouchCsv(touch, fleet, *csv_file.stream());
    }
    if (!csv_file.Close(err)) return kTrouble;
    if (options.csv == "-") return status;
    if (options.json) {
      WriteTouchJson(touch, fleet, options.old_ini, options.new_ini, status, out);
    } else {
      WriteTouchText(touch, fleet, options.old_ini, options.new_ini, out);
    }
    return status;
  }
  MatrixDiff diff = CompareMatrices(before.matrix, after.matrix);
  diff.new_findings = NewFindings(before.findings, after.findings);
  if (options.json) {
    nlohmann::ordered_json json = DiffJson(diff, options.old_ini, options.new_ini);
    json["exit_status"] = diff.changes() ? kFound : kAllGood;
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    WriteDiffText(diff, options.old_ini, options.new_ini, out);
  }
  return diff.changes() ? kFound : kAllGood;
}

}  // namespace quill::plan
