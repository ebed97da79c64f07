#include "plan/verbs/verbs.h"

#include <sstream>
#include <memory>
#include <utility>
#include <vector>

#include "plan/change/diff_text.h"
#include "plan/change/fleet_cells.h"
#include "plan/change/fleet_touch.h"
#include "plan/change/plan_diff.h"
#include "plan/change/same_reads.h"
#include "plan/change/touch_text.h"
#include "plan/lint/deployment_lint.h"
#include "plan/lint/hash_lint.h"
#include "plan/matrix/matrix.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/output_file.h"
#include "plan/verbs/verb_inputs.h"

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

// Both sides read side by side; kAllGood, or the first side's trouble, each
// side's messages told in the sides' order.
int LoadSides(Side (&sides)[2], Workers& workers, std::ostream& err) {
  workers.Run(2, [&](size_t i) {
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
  return kAllGood;
}

// What each side plans beyond its own machines and locales, so that both
// make the same cells: the other side's machines it lacks, or the fleet's.
// With the same files on both sides, only the machines whose sections read
// otherwise are planned.
void ChooseScopes(const DiffOptions& options, Side (&sides)[2], const FleetFacts* fleet,
                  MatrixScope (&more)[2]) {
  Side& before = sides[0];
  Side& after = sides[1];
  // Each side adds the other's machines it lacks: only those are kept, and
  // the long lists go before the matrices are made.
  std::vector<WString> after_only = MissingNames(after.scope.machines, before.scope.machines);
  std::vector<WString> before_only = MissingNames(before.scope.machines, after.scope.machines);
  MatrixScope fleet_scope;
  if (fleet != nullptr) fleet_scope = FleetScope(*fleet);
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
  // The sides' scopes are copied: a fleet's diff makes both kinds of matrix.
  more[0] = after.scope;
  more[1] = before.scope;
  if (fleet != nullptr) {
    more[0] = more[1] = std::move(fleet_scope);
  } else {
    more[0].machines = std::move(after_only);
    more[1].machines = std::move(before_only);
  }
  more[0].planned_only = more[1].planned_only = planned_only;
}

// Each side's matrix over its scope and its lint findings, side by side;
// kAllGood, or kTrouble told.
int PlanSides(Side (&sides)[2], MatrixScope (&more)[2], Workers& workers, std::ostream& err) {
  workers.Run(2, [&](size_t i) {
    Side& side = sides[i];
    // One planner a side: the sides already take both cores, and another
    // planner would copy what is known of the files.
    side.matrix = MakeMatrix(side.files.language_table, side.machine.platform(), more[i],
                             nullptr, nullptr);
    // Its lists of machines are in the matrix now, or in none of it.
    more[i] = MatrixScope();
    if (side.matrix.problem.empty()) {
      side.findings = LintDeployment(side.ini, side.files.language_table, side.machine.platform());
      AddHashListFindings(side.ini, side.files.language_table, side.machine.platform(),
                          &side.findings);
    }
  });
  for (const Side& side : sides) {
    if (!side.matrix.problem.empty()) {
      TellError(err, "diff", side.ini, side.matrix.problem);
      return kTrouble;
    }
  }
  return kAllGood;
}

// The changes plain diff tells of the same two deployments: a fleet's
// matrices hold only its PCs' cells, and the count must not depend on them.
size_t DeploymentChanges(const DiffOptions& options, Side (&sides)[2], Workers& workers) {
  MatrixScope more[2];
  ChooseScopes(options, sides, nullptr, more);
  Matrix matrices[2];
  workers.Run(2, [&](size_t i) {
    matrices[i] = MakeMatrix(sides[i].files.language_table, sides[i].machine.platform(), more[i],
                             nullptr, nullptr);
  });
  const MatrixDiff diff = CompareMatrices(matrices[0], matrices[1]);
  return diff.settings.size() + diff.groups.size();
}

// The PCs each change touches: the CSV, and the text or JSON unless the
// CSV takes standard output.
int WriteFleetTouch(const DiffOptions& options, const Side (&sides)[2], const FleetFacts& fleet,
                    int fleet_status, size_t deployment_changes, Output& csv_file,
                    std::ostream& out, std::ostream& err) {
  FleetTouch touch;
  TouchFleet(sides[0].matrix, sides[1].matrix, fleet, &touch);
  touch.deployment_changes = deployment_changes;
  touch.diff.new_findings = NewFindings(sides[0].findings, sides[1].findings);
  const int status = fleet_status != kAllGood ? fleet_status
                     : touch.touched_pcs > 0  ? kFound
                                              : kAllGood;
  // The CSV's cells are made inert as report's are.
  if (csv_file.stream() != nullptr) WriteTouchCsv(touch, fleet, *csv_file.stream());
  if (!csv_file.Close(err)) return kTrouble;
  if (options.csv == "-") return status;
  if (options.json) {
    WriteTouchJson(touch, fleet, options.old_ini, options.new_ini, status, out);
  } else {
    WriteTouchText(touch, fleet, options.old_ini, options.new_ini, out);
  }
  return status;
}

// The cells whose plan changes, grouped by change, and the new findings.
int WriteMatrixDiff(const DiffOptions& options, const Side (&sides)[2], std::ostream& out) {
  MatrixDiff diff = CompareMatrices(sides[0].matrix, sides[1].matrix);
  diff.new_findings = NewFindings(sides[0].findings, sides[1].findings);
  const int status = diff.changes() ? kFound : kAllGood;
  if (options.json) {
    nlohmann::ordered_json json = DiffJson(diff, options.old_ini, options.new_ini);
    json["exit_status"] = status;
    out << JsonText(json, 2) << "\n";
  } else {
    WriteDiffText(diff, options.old_ini, options.new_ini, out);
  }
  return status;
}

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
  VerbInputs inputs{{options.old_ini, options.new_ini}, options.fleet};
  for (const MachineFileOptions* side : {&options.old_files, &options.new_files}) {
    if (!side->language_table.empty()) inputs.files.push_back(side->language_table);
  }
  if (const int status = RefuseOutputClashes(
          "diff", {{"--csv", options.csv}, {"--json", options.json ? "-" : ""}}, inputs, err)) {
    return status;
  }
  Output csv_file("diff");
  if (!csv_file.Open(options.csv, raw_out, err)) return kTrouble;
  FleetFacts fleet;
  int fleet_status = kAllGood;
  if (with_fleet) {
    const std::vector<std::string> not_inputs = csv_file.written_paths();
    fleet_status = LoadFleet("diff", options.fleet, not_inputs, &fleet, err);
  }
  const std::unique_ptr<Workers> workers = MakeWorkers();
  Side sides[] = {{options.old_ini, options.old_files}, {options.new_ini, options.new_files}};
  if (const int status = LoadSides(sides, *workers, err)) return status;
  // Counted before the fleet's matrices are made, so that the deployment's
  // are gone by then.
  const size_t deployment_changes = with_fleet ? DeploymentChanges(options, sides, *workers) : 0;
  MatrixScope more[2];
  ChooseScopes(options, sides, with_fleet ? &fleet : nullptr, more);
  if (const int status = PlanSides(sides, more, *workers, err)) return status;
  if (with_fleet) {
    return WriteFleetTouch(options, sides, fleet, fleet_status, deployment_changes, csv_file, out,
                           err);
  }
  return WriteMatrixDiff(options, sides, out);
}

}  // namespace quill::plan
