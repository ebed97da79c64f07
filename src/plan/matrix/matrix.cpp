#include "plan/matrix/matrix.h"

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "base/utf.h"
#include "facts/language_code.h"
#include "facts/newer_windows.h"
#include "plan/matrix/machine_rows.h"
#include "plan/planning/table_scan.h"
#include "plan/text/case_fold.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

bool StartsWith0x(const WString& name) {
  return name.size() > 2 && name[0] == u'0' && (name[1] == u'x' || name[1] == u'X');
}

// The machine a section stands for: itself, or the section its pass-1 name
// is made from. Empty for the form of an unknown word of a known section.
WString MachineOf(const WString& name, const IniFile& ini) {
  const size_t underscore = name.rfind(u'_');
  if (underscore == WString::npos) return name;
  const WString base = name.substr(0, underscore);
  if (WindowsKindFor(name.substr(underscore + 1)) != WindowsKind::kOther) return base;
  return ini.HasSection(base) ? WString() : name;
}

std::unordered_set<WString> NamedApplications(const IniFile& ini) {
  std::unordered_set<WString> named;
  for (const IniSection& section : ini.sections()) {
    for (const IniKey& key : ini.Keys(section)) {
      const WString lowered = LowerCase(ini.Name(key).str());
      if (key.has_value && lowered.compare(0, 3, u"app") == 0 && lowered.size() > 3) {
        named.insert(LowerCase(ini.Value(key).str()));
      }
    }
  }
  return named;
}

std::vector<MatrixLanguage> LanguagesOf(const std::string& table, SystemInfo& system) {
  std::vector<MatrixLanguage> languages;
  for (const TableLanguage& language : TableLanguages(ScanLanguageTable(table, system))) {
    MatrixLanguage column;
    column.label = language.section;
    column.lcid_text = FormatLcid(language.lcid);
    column.choice.lcid = language.lcid;
    languages.push_back(column);
  }
  MatrixLanguage unknown;
  unknown.label = u"(none)";
  unknown.choice.by_lcid = false;
  languages.push_back(unknown);
  return languages;
}

// The INI file and the files of a planner that plans beside the first:
// copies, whose caches it alone writes; the INI file's text is shared.
struct PlatformCopy {
  explicit PlatformCopy(const PlanPlatform& model)
      : ini(model.ini()), files(model.files_copy()), platform(ini, model.ini_path(), files) {}
  IniFile ini;
  MachineFiles files;
  PlanPlatform platform;
};

// One of the planners that go side by side; the first plans on the
// deployment's own platform.
struct Planner {
  Planner(PlanPlatform& model, bool first, const std::vector<Prelude>& preludes)
      : copy(first ? nullptr : std::make_unique<PlatformCopy>(model)),
        platform(first ? model : copy->platform), answers(CodesOf(preludes), platform.files()) {}
  static std::vector<WString> CodesOf(const std::vector<Prelude>& preludes) {
    std::vector<WString> codes;
    for (const Prelude& prelude : preludes) codes.push_back(prelude.language.language_code);
    return codes;
  }
  std::unique_ptr<PlatformCopy> copy;
  PlanPlatform& platform;
  LanguageAnswers answers;
};

// The machines are independent: as many go side by side as there are
// workers, each planner taking every n-th. With a sink they go a block at a
// time, each block handed on before the next is made, so that memory holds
// one block and not the matrix. What each machine assumed is told in the
// machines' order, so that the output is the same on any number of cores.
// Only the machines at `planned` get rows.
void AllMachineRows(const std::vector<WString>& machines, const std::vector<size_t>& planned,
                    const std::vector<Prelude>& preludes, PlanPlatform& platform,
                    Workers* workers, Assumptions* assumptions, Matrix* matrix,
                    MatrixSink* sink) {
  // A planner beside the first copies what is known of the files: none is
  // made where fewer machines are planned.
  constexpr size_t kMostPlanners = 4;
  size_t count = workers != nullptr ? std::min(workers->Count(), kMostPlanners) : 1;
  count = std::min(count, planned.size());
  const LanguageSharing sharing = ShareLanguages(preludes, platform.ini());
  std::vector<std::unique_ptr<Planner>> planners;
  for (size_t i = 0; i < count; ++i) {
    planners.push_back(std::make_unique<Planner>(platform, i == 0, preludes));
  }
  const size_t block = sink != nullptr ? 16 : std::max<size_t>(planned.size(), 1);
  for (size_t start = 0; start < planned.size(); start += block) {
    const size_t end = std::min(planned.size(), start + block);
    // Without a sink there is one block, made in the matrix's own rows.
    std::vector<MachineMatrix> block_rows;
    std::vector<MachineMatrix>& rows = sink != nullptr ? block_rows : matrix->machines;
    rows.resize(end - start);
    std::vector<std::string> written(sink != nullptr ? end - start : 0);
    std::vector<std::unique_ptr<Assumptions>> assumed(end - start);
    const size_t stride = std::max<size_t>(planners.size(), 1);
    auto plan = [&](size_t which) {
      for (size_t i = start + which; i < end; i += stride) {
        MachineMatrix& row = rows[i - start];
        Planner& planner = *planners[which];
        assumed[i - start] = std::make_unique<Assumptions>(assumptions->keep());
        row = MachineRows(machines[planned[i]], preludes, matrix->systems, sharing,
                          planner.answers, planner.platform, assumed[i - start].get());
        row.index = planned[i];
        if (sink != nullptr) {
          written[i - start] = sink->Rows(*matrix, row);
          row = MachineMatrix();
        }
      }
    };
    if (workers != nullptr && planners.size() > 1) {
      workers->Run(planners.size(), plan);
    } else {
      plan(0);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      assumptions->Merge(*assumed[i]);
      if (sink != nullptr) sink->Machine(written[i]);
    }
  }
}

}  // namespace

std::vector<WindowsKind> NewerSystemsOf(const IniFile& ini) {
  std::vector<bool> found(kNewerSystemCount * kArchitectureCount);
  for (const IniSection& section : ini.sections()) {
    const WString name = ini.Name(section).str();
    const size_t underscore = name.rfind(u'_');
    size_t order = 0;
    if (underscore == WString::npos || !StartsWith0x(name)) continue;
    if (!NewerWindowsWord(name.substr(underscore + 1), &order).empty()) found[order] = true;
  }
  std::vector<WindowsKind> systems;
  for (size_t order = 0; order < found.size(); ++order) {
    if (!found[order]) continue;
    const size_t architecture = order % kArchitectureCount;
    systems.push_back({WString(kNewerSystems[order / kArchitectureCount].word) +
                       kArchitectureWords[architecture]});
  }
  return systems;
}

std::vector<WString> MachineSections(const IniFile& ini) {
  const std::unordered_set<WString> applications = NamedApplications(ini);

  // The sections first, then their machines in a list made at its size: a
  // list that grows holds twice its names while it moves.
  const std::vector<IniSection>& sections = ini.sections();
  std::vector<uint32_t> machine_sections;
  WString last;
  for (size_t i = 0; i < sections.size(); ++i) {
    const WString machine = MachineOf(ini.Name(sections[i]).str(), ini);
    const WString lowered_machine = LowerCase(machine);
    if (!StartsWith0x(machine) || lowered_machine == u"0xffff") continue;
    if (applications.count(lowered_machine) > 0) continue;
    // A machine's lists mostly follow its section: those are not kept twice
    // until the names are sorted.
    if (lowered_machine == last) continue;
    last = lowered_machine;
    machine_sections.push_back(static_cast<uint32_t>(i));
  }
  std::vector<WString> machines;
  machines.reserve(machine_sections.size());
  for (uint32_t i : machine_sections) {
    const WString machine = MachineOf(ini.Name(sections[i]).str(), ini);
    machines.push_back(u"0x" + machine.substr(2));
  }
  KeepFirstOfEach(&machines);
  // Only the common lists: every machine runs them, and one row tells it.
  if (machines.empty() && ini.FindSection(kEveryMachine) == nullptr) {
    machines.push_back(kEveryMachine);
  }
  return machines;
}

void KeepFirstOfEach(std::vector<WString>* names) {
  std::vector<uint32_t> order(names->size());
  std::iota(order.begin(), order.end(), 0u);
  // Stable: of names alike, the first in the list comes first.
  std::stable_sort(order.begin(), order.end(), [names](uint32_t a, uint32_t b) {
    return LessIgnoringCase((*names)[a], (*names)[b]);
  });
  std::vector<bool> again(names->size());
  for (size_t i = 1; i < order.size(); ++i) {
    again[order[i]] = !LessIgnoringCase((*names)[order[i - 1]], (*names)[order[i]]);
  }
  order = std::vector<uint32_t>();
  size_t kept = 0;
  for (size_t i = 0; i < names->size(); ++i) {
    if (again[i]) continue;
    if (kept != i) (*names)[kept] = std::move((*names)[i]);
    ++kept;
  }
  if (kept < names->size()) {
    names->resize(kept);
    names->shrink_to_fit();
  }
}

std::vector<WString> MissingNames(const std::vector<WString>& more,
                                  const std::vector<WString>& names) {
  if (more.empty()) return {};
  std::vector<const WString*> known;
  known.reserve(names.size());
  for (const WString& name : names) known.push_back(&name);
  auto less = [](const WString* a, const WString* b) { return LessIgnoringCase(*a, *b); };
  std::sort(known.begin(), known.end(), less);
  std::vector<WString> missing;
  for (const WString& name : more) {
    if (!std::binary_search(known.begin(), known.end(), &name, less)) missing.push_back(name);
  }
  KeepFirstOfEach(&missing);
  return missing;
}

void AddMissingNames(const std::vector<WString>& more, std::vector<WString>* names) {
  std::vector<WString> missing = MissingNames(more, *names);
  names->reserve(names->size() + missing.size());
  for (WString& name : missing) names->push_back(std::move(name));
}

std::string VariantName(int index) {
  std::string name;
  for (int n = index + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), 'A' + (n - 1) % 26);
  return name;
}

namespace {

// The settings say where the run finds its language table: its bytes, or
// the problem that leaves the matrix without languages.
bool ReadTable(const std::string& language_table, PlanPlatform& platform, Assumptions* assumptions,
               Matrix* matrix, std::string* table) {
  LanguageChoice first;
  matrix->prelude = PlanPrelude(first, language_table, platform, assumptions);
  if (matrix->prelude.ending == PlanEnding::kBothPasses &&
      !platform.files().ReadBytes(matrix->prelude.settings.language_table_path, table)) {
    matrix->problem = "the language table cannot be read: give --lang-table, or a --map that "
                      "answers " + ToUtf8(matrix->prelude.settings.language_table_path);
    return false;
  }
  return true;
}

template <typename T, typename Key>
void AddMissing(const std::vector<T>& more, std::vector<T>* all, Key key) {
  std::unordered_set<decltype(key(more.front()))> known;
  for (const T& item : *all) known.insert(key(item));
  for (const T& item : more) {
    if (known.insert(key(item)).second) all->push_back(item);
  }
}

// The languages of the table, and the locales of the other table before
// the unknown one, as the lookup names them: by the section it finds, if any.
std::vector<MatrixLanguage> MatrixLanguages(const std::string& table, const MatrixScope& more,
                                            PlanPlatform& platform) {
  std::vector<MatrixLanguage> languages = LanguagesOf(table, platform);
  const MatrixLanguage unknown = languages.back();
  languages.pop_back();
  if (more.only) languages.clear();
  std::vector<MatrixLanguage> others;
  for (uint32_t lcid : more.lcids) {
    MatrixLanguage language;
    language.lcid_text = FormatLcid(lcid);
    language.choice.lcid = lcid;
    others.push_back(language);
  }
  AddMissing(others, &languages,
             [](const MatrixLanguage& language) { return language.choice.lcid; });
  if (!more.only) languages.push_back(unknown);
  return languages;
}

// The three systems of old, the newer ones of either list in the names'
// order, and one the program does not name.
std::vector<WindowsKind> MatrixSystems(const std::vector<WindowsKind>& own,
                                       const std::vector<WindowsKind>& more) {
  std::vector<WindowsKind> newer = own;
  for (const WindowsKind& system : more) {
    if (std::find(newer.begin(), newer.end(), system) == newer.end()) newer.push_back(system);
  }
  auto order = [](const WindowsKind& system) {
    size_t at = 0;
    NewerWindowsWord(system.word, &at);
    return at;
  };
  std::sort(newer.begin(), newer.end(),
            [&order](const WindowsKind& a, const WindowsKind& b) { return order(a) < order(b); });
  std::vector<WindowsKind> systems = {WindowsKind::kWinXp, WindowsKind::kVista32,
                                      WindowsKind::kVista64};
  systems.insert(systems.end(), newer.begin(), newer.end());
  systems.push_back(WindowsKind::kOther);
  return systems;
}

// The indices in `machines` of the machines to plan.
std::vector<size_t> PlannedMachines(const std::vector<WString>& machines, const MatrixScope& more) {
  std::vector<size_t> planned;
  if (more.planned_only == nullptr) {
    planned.resize(machines.size());
    std::iota(planned.begin(), planned.end(), size_t{0});
    return planned;
  }
  // The names to plan, sorted to be looked up.
  std::vector<const WString*> named;
  for (const WString& machine : *more.planned_only) named.push_back(&machine);
  auto less = [](const WString* a, const WString* b) { return LessIgnoringCase(*a, *b); };
  std::sort(named.begin(), named.end(), less);
  for (size_t i = 0; i < machines.size(); ++i) {
    if (std::binary_search(named.begin(), named.end(), &machines[i], less)) planned.push_back(i);
  }
  return planned;
}

}  // namespace

MatrixScope ScopeOf(const std::string& language_table, PlanPlatform& platform) {
  MatrixScope scope;
  Matrix matrix;
  std::string table;
  if (!ReadTable(language_table, platform, nullptr, &matrix, &table)) return scope;
  scope.machines = MachineSections(platform.ini());
  scope.systems = NewerSystemsOf(platform.ini());
  for (const MatrixLanguage& language : LanguagesOf(table, platform)) {
    if (language.choice.by_lcid) scope.lcids.push_back(language.choice.lcid);
  }
  return scope;
}

Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform) {
  return MakeMatrix(language_table, platform, MatrixScope(), nullptr, nullptr);
}

Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform,
                  const MatrixScope& more, MatrixSink* sink, Workers* workers) {
  Matrix matrix;
  matrix.systems = MatrixSystems(
      more.only ? std::vector<WindowsKind>() : NewerSystemsOf(platform.ini()), more.systems);
  Assumptions assumptions(20);
  std::string table;
  if (!ReadTable(language_table, platform, &assumptions, &matrix, &table)) return matrix;
  matrix.languages = MatrixLanguages(table, more, platform);

  std::vector<Prelude> preludes;
  for (MatrixLanguage& language : matrix.languages) {
    preludes.push_back(PlanPrelude(language.choice, language_table, platform, &assumptions));
    if (language.label.empty()) {
      const WString& code = preludes.back().language.language_code;
      language.label = code.empty() ? u"(none)" : code;
    }
  }
  std::vector<WString> machines;
  if (matrix.prelude.ending == PlanEnding::kBothPasses) {
    if (!more.only) machines = MachineSections(platform.ini());
    AddMissingNames(more.machines, &machines);
    matrix.machine_count = machines.size();
    matrix.cells = machines.size() * matrix.languages.size() * matrix.systems.size();
  }
  if (sink != nullptr) sink->Head(matrix);
  if (matrix.prelude.ending == PlanEnding::kBothPasses) {
    AllMachineRows(machines, PlannedMachines(machines, more), preludes, platform, workers,
                   &assumptions, &matrix, sink);
    if (sink == nullptr) {
      machines.shrink_to_fit();
      matrix.machine_ids = std::move(machines);
    }
  }
  matrix.assumptions = assumptions.kept();
  matrix.assumed_answers = assumptions.answered();
  return matrix;
}

}  // namespace quill::plan
