#ifndef QUILL_PLAN_MATRIX_MATRIX_H_
#define QUILL_PLAN_MATRIX_MATRIX_H_

// The plan for every machine section of the INI file, on every system the
// program names and one it does not, in every language of the table. Equal
// plans of a machine are told once, as a variant; the cells name variants.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plan/host/workers.h"
#include "plan/planning/plan_model.h"
#include "plan/planning/plan_platform.h"
#include "plan/planning/planner.h"
#include "plan/windows/ini_file.h"

namespace quill::plan {

// The machines the INI file has sections for: each section whose name
// begins with "0x", or whose pass-1 name does, but the common section,
// applications named by an APP key, and sections for words the program never
// produces. Each as its SystemID. Without any, the one machine kEveryMachine
// (a SystemID no section names) stands for every machine.
std::vector<WString> MachineSections(const IniFile& ini);
constexpr char16_t kEveryMachine[] = u"0x*";

// The newer systems that sections of the INI file are named for
// ("0xFFFF_WIN10X64"), each once, in the names' order.
std::vector<WindowsKind> NewerSystemsOf(const IniFile& ini);

// Of names equal but for case, the first one only, in their order. A
// deployment names hundreds of thousands of machines: the names are sorted
// in place of a set of their copies.
void KeepFirstOfEach(std::vector<WString>* names);
// Those of `more` that `names` lacks, each once, in `more`'s order.
std::vector<WString> MissingNames(const std::vector<WString>& more,
                                  const std::vector<WString>& names);
// The same appended to `names`.
void AddMissingNames(const std::vector<WString>& more, std::vector<WString>* names);

struct MatrixLanguage {
  WString label;      // the table's section, or "(none)"
  WString lcid_text;  // "0x407"; empty for the locale the table does not know
  LanguageChoice choice;
};

struct MatrixVariant {
  int pass0 = 0;   // index into MachineMatrix::pass0
  int pass1 = -1;  // index into MachineMatrix::pass1; -1 when pass 1 does not run
  int exit_code = 0;
  PlanEnding ending = PlanEnding::kBothPasses;
};

struct MachineMatrix {
  WString system_id;
  size_t index = 0;  // the machine's place among all the matrix's machines
  std::vector<PassPlan> pass0;
  std::vector<PassPlan> pass1;
  std::vector<MatrixVariant> variants;
  std::vector<std::vector<int>> cells;  // [language][system] to a variant
};

struct Matrix {
  std::vector<MatrixLanguage> languages;
  // WINXP, VISTA32, VISTA64, the newer ones the INI file has sections for,
  // another: the columns grow with the deployment, not with the names.
  std::vector<WindowsKind> systems;
  Prelude prelude;                   // of the first language: the settings
  // Every machine of the scope, in order, left out or not; empty when the
  // rows went to a sink.
  std::vector<WString> machine_ids;
  // The rows of the machines planned, in the same order: a diff leaves out
  // most, and a row is far bigger than a name.
  std::vector<MachineMatrix> machines;
  size_t machine_count = 0;
  size_t cells = 0;
  std::vector<FileQuestionAsked> assumptions;  // the first few
  size_t assumed_answers = 0;
  std::string problem;  // why there is no matrix, when there is none
};

// `language_table` as for a plan; the table also gives the languages.
Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform);

// What a matrix covers beyond its own deployment, so that two deployments'
// matrices have the same cells: machines without a section of their own run
// the common lists only, and a locale the table does not know is looked up
// as a run looks it up.
struct MatrixScope {
  std::vector<WString> machines;  // SystemIDs, compared without regard to case
  std::vector<uint32_t> lcids;
  std::vector<WindowsKind> systems;  // newer ones, with the deployment's own
  // When set, only these of the machines are planned, the others left out:
  // a diff plans only the few whose sections an edit reached, on both sides.
  std::shared_ptr<const std::vector<WString>> planned_only;
  // Only the machines and LCIDs named here: not the deployment's own, nor
  // the locale the table does not know.
  bool only = false;
};

// The deployment's own machines and the LCIDs of its table, in order.
MatrixScope ScopeOf(const std::string& language_table, PlanPlatform& platform);
// Where a matrix goes as it is made: its head once the languages and the
// machines are known, then each machine's rows in order. A matrix made into
// a sink keeps no machines, so that its size does not bound a deployment's.
class MatrixSink {
 public:
  virtual ~MatrixSink() = default;
  virtual void Head(const Matrix& matrix) = 0;
  // A machine's rows as the sink writes them; made by any worker, so it
  // reads nothing but its arguments.
  virtual std::string Rows(const Matrix& matrix, const MachineMatrix& machine) const = 0;
  // Rows written, in the machines' order.
  virtual void Machine(const std::string& rows) = 0;
};

// The matrix over the deployment's own scope and then `more`'s; into
// `sink` when one is given (the head is not told when there is a problem);
// machines planned side by side by `workers`, one after the other without.
Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform,
                  const MatrixScope& more, MatrixSink* sink, Workers* workers);

// "A" to "Z", then "AA", "AB", ...
std::string VariantName(int index);

}  // namespace quill::plan

#endif  // QUILL_PLAN_MATRIX_MATRIX_H_
