#include "plan/matrix/matrix.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#if defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#endif
#include <utility>

#include "base/utf.h"
#include "facts/language_code.h"
#include "facts/os_type.h"
#include "plan/planning/table_scan.h"
#include "plan/windows/case_fold.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

const WindowsKind kSystems[] = {WindowsKind::kWinXp, WindowsKind::kVista32,
                                WindowsKind::kVista64, WindowsKind::kOther};

bool StartsWith0x(const WString& name) {
  return name.size() > 2 && name[0] == u'0' && (name[1] == u'x' || name[1] == u'X');
}

// The machine a section stands for: itself, or the section its pass-1 name
// is made from. Empty for the form of an unknown word of a known section.
WString MachineOf(const WString& name, const std::set<WString>& lowered_sections) {
  const size_t underscore = name.rfind(u'_');
  if (underscore == WString::npos) return name;
  const WString base = name.substr(0, underscore);
  if (WindowsKindFor(name.substr(underscore + 1)) != WindowsKind::kOther) return base;
  return lowered_sections.count(LowerCase(base)) > 0 ? WString() : name;
}

std::set<WString> NamedApplications(const IniFile& ini) {
  std::set<WString> named;
  for (const IniSection& section : ini.sections()) {
    for (const IniKey& key : section.keys) {
      const WString lowered = LowerCase(key.name);
      if (key.has_value && lowered.compare(0, 3, u"app") == 0 && lowered.size() > 3) {
        named.insert(LowerCase(key.value));
      }
    }
  }
  return named;
}

// Whether the command line is AppPath, a backslash and AppSwitches with the
// language code in place of every "%LANG%"; told without building it.
bool BuiltWithCode(const PlanEntry& entry, const WString& code) {
  const WString& line = entry.command_line;
  const WString& switches = entry.app_switches;
  const size_t placeholder = std::char_traits<char16_t>::length(kLanguagePlaceholder);
  size_t at = entry.app_path.size() + 1;
  if (line.compare(0, entry.app_path.size(), entry.app_path) != 0 || line.size() < at ||
      line[at - 1] != u'\\') {
    return false;
  }
  size_t from = 0;
  for (size_t found; (found = switches.find(kLanguagePlaceholder, from)) != WString::npos;
       from = found + placeholder) {
    if (line.compare(at, found - from, switches, from, found - from) != 0) return false;
    at += found - from;
    if (line.compare(at, code.size(), code) != 0) return false;
    at += code.size();
  }
  return line.compare(at, WString::npos, switches, from, WString::npos) == 0;
}

// What follows the program the platform is handed in quotation marks; a
// line feed, which no command line holds, when it is handed as built.
WString HandedTail(const PlanEntry& entry) {
  if (entry.handed == entry.command_line) return u"\n";
  const size_t close = entry.handed.find(u'"', 1);
  return close == WString::npos ? u"\n" : entry.handed.substr(close + 1);
}

// Where the quotation ends depends on which files exist, so a quoted line
// is a template only when the part after it holds no language code.
bool TailWithoutCode(const PlanEntry& entry) {
  if (entry.handed == entry.command_line) return true;
  const WString tail = HandedTail(entry);
  const WString& switches = entry.app_switches;
  const size_t last = switches.rfind(kLanguagePlaceholder);
  return tail != u"\n" && switches.size() >= tail.size() &&
         switches.compare(switches.size() - tail.size(), tail.size(), tail) == 0 &&
         last + std::char_traits<char16_t>::length(kLanguagePlaceholder) <=
             switches.size() - tail.size();
}

// Marks the entries whose command line only puts the language code in
// place of "%LANG%": languages that differ in nothing else share a plan.
void MarkLanguageTemplates(PassPlan& pass, const WString& code) {
  for (PlanEntry& entry : pass.entries) {
    entry.language_template = entry.launched &&
                              entry.app_switches.find(kLanguagePlaceholder) != WString::npos &&
                              BuiltWithCode(entry, code) && TailWithoutCode(entry);
  }
}

// For showing a kept plan: "<code>" where the language code went, in the
// line as built and in the line as handed.
void ShowTemplates(PassPlan& pass) {
  for (PlanEntry& entry : pass.entries) {
    if (!entry.language_template) continue;
    const WString tail = HandedTail(entry);
    WString switches = entry.app_switches;
    ReplaceAll(switches, kLanguagePlaceholder, u"<code>");
    entry.command_line = entry.app_path + u"\\" + switches;
    entry.handed = entry.command_line;
    if (tail != u"\n") {
      const size_t program = entry.command_line.size() - tail.size();
      entry.handed = u"\"" + entry.command_line.substr(0, program) + u"\"" + tail;
    }
  }
}

bool SameEntry(const PlanEntry& x, const PlanEntry& y) {
  if (x.launched != y.launched || x.skip != y.skip || x.language_template != y.language_template ||
      x.app_key != y.app_key || x.app_section != y.app_section || x.list_section != y.list_section) {
    return false;
  }
  if (x.language_template) {
    return x.app_path == y.app_path && x.app_switches == y.app_switches &&
           HandedTail(x) == HandedTail(y);
  }
  return x.command_line == y.command_line && x.handed == y.handed;
}

// What tells one pass from another: every entry's names and outcome. The
// list names alone do not: pass 1 names them after the system.
bool SameEntries(const PassPlan& a, const PassPlan& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (!SameEntry(a.entries[i], b.entries[i])) return false;
  }
  return true;
}

// A machine has few different passes: the index of an equal one, or of
// this one, kept as new.
int Remember(PassPlan pass, const WString& code, std::vector<PassPlan>& plans) {
  MarkLanguageTemplates(pass, code);
  for (size_t i = 0; i < plans.size(); ++i) {
    if (SameEntries(plans[i], pass)) return static_cast<int>(i);
  }
  ShowTemplates(pass);
  plans.push_back(std::move(pass));
  return static_cast<int>(plans.size() - 1);
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

MachineMatrix MachineRows(const WString& system_id, const std::vector<Prelude>& preludes,
                          PlanPlatform& platform, Assumptions* assumptions) {
  MachineMatrix machine;
  machine.system_id = system_id;
  std::map<std::pair<int, int>, int> variants;

  for (const Prelude& prelude : preludes) {
    RunContext context;
    PrepareContext(prelude, system_id, context);
    const int pass0 = Remember(PlanPass(0, context, platform, assumptions), context.LanguageCode,
                               machine.pass0);
    std::vector<int> row;
    for (WindowsKind system : kSystems) {
      context.OSType.clear();
      platform.set_windows(system);
      int pass1 = -1;
      if (DetectOSType(context, platform)) {
        pass1 = Remember(PlanPass(1, context, platform, assumptions), context.LanguageCode,
                         machine.pass1);
      }
      const auto found = variants.emplace(std::make_pair(pass0, pass1),
                                          static_cast<int>(machine.variants.size()));
      if (found.second) {
        MatrixVariant variant;
        variant.pass0 = pass0;
        variant.pass1 = pass1;
        variant.exit_code = pass1 >= 0 ? 1 : 0;
        variant.ending = pass1 >= 0 ? PlanEnding::kBothPasses : PlanEnding::kUnrecognisedSystem;
        machine.variants.push_back(variant);
      }
      row.push_back(found.first->second);
    }
    machine.cells.push_back(row);
  }
  return machine;
}

// One of the machines that plan side by side: its own copies of the INI
// file and the files, whose caches it alone writes.
struct Planner {
  Planner(const PlanPlatform& model, size_t keep)
      : ini(model.ini()), files(model.files_copy()), platform(ini, model.ini_path(), files),
        assumptions(keep) {}
  IniFile ini;
  MachineFiles files;
  PlanPlatform platform;
  Assumptions assumptions;
};

// The machines are independent: with threads at hand, two go side by side.
// With a sink they go a block at a time, each block handed on before the
// next is made, so that memory holds one block and not the matrix.
void AllMachineRows(const std::vector<WString>& machines, const std::set<WString>& left_out,
                    const std::vector<Prelude>& preludes, const PlanPlatform& platform,
                    Assumptions* assumptions, Matrix* matrix, MatrixSink* sink) {
  std::vector<std::unique_ptr<Planner>> planners;
  planners.push_back(std::make_unique<Planner>(platform, assumptions->keep()));
#if defined(_GLIBCXX_HAS_GTHREADS)
  if (machines.size() > 1 && std::thread::hardware_concurrency() > 1) {
    planners.push_back(std::make_unique<Planner>(platform, assumptions->keep()));
  }
#endif
  const size_t block = sink != nullptr ? 16 : std::max<size_t>(machines.size(), 1);
  for (size_t start = 0; start < machines.size(); start += block) {
    const size_t end = std::min(machines.size(), start + block);
    std::vector<MachineMatrix> rows(end - start);
    auto plan = [&](size_t which) {
      Planner& planner = *planners[which];
      for (size_t i = start + which; i < end; i += planners.size()) {
        if (left_out.count(LowerCase(machines[i])) > 0) {
          rows[i - start].system_id = machines[i];
          rows[i - start].planned = false;
          continue;
        }
        rows[i - start] = MachineRows(machines[i], preludes, planner.platform, &planner.assumptions);
      }
    };
#if defined(_GLIBCXX_HAS_GTHREADS)
    if (planners.size() > 1) {
      std::thread second(plan, 1);
      plan(0);
      second.join();
    } else {
      plan(0);
    }
#else
    plan(0);
#endif
    for (MachineMatrix& row : rows) {
      if (sink != nullptr) {
        sink->Machine(*matrix, row);
      } else {
        matrix->machines.push_back(std::move(row));
      }
    }
  }
  for (const auto& planner : planners) assumptions->Merge(planner->assumptions);
}

}  // namespace

std::vector<WString> MachineSections(const IniFile& ini) {
  std::set<WString> lowered;
  for (const IniSection& section : ini.sections()) lowered.insert(LowerCase(section.name));
  const std::set<WString> applications = NamedApplications(ini);

  std::vector<WString> machines;
  std::set<WString> seen;
  for (const IniSection& section : ini.sections()) {
    const WString machine = MachineOf(section.name, lowered);
    const WString lowered_machine = LowerCase(machine);
    if (!StartsWith0x(machine) || lowered_machine == u"0xffff") continue;
    if (applications.count(lowered_machine) > 0 || !seen.insert(lowered_machine).second) continue;
    machines.push_back(u"0x" + machine.substr(2));
  }
  return machines;
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
  std::set<decltype(key(more.front()))> known;
  for (const T& item : *all) known.insert(key(item));
  for (const T& item : more) {
    if (known.insert(key(item)).second) all->push_back(item);
  }
}

}  // namespace

MatrixScope ScopeOf(const std::string& language_table, PlanPlatform& platform) {
  MatrixScope scope;
  Matrix matrix;
  std::string table;
  if (!ReadTable(language_table, platform, nullptr, &matrix, &table)) return scope;
  scope.machines = MachineSections(platform.ini());
  for (const MatrixLanguage& language : LanguagesOf(table, platform)) {
    if (language.choice.by_lcid) scope.lcids.push_back(language.choice.lcid);
  }
  return scope;
}

Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform) {
  return MakeMatrix(language_table, platform, MatrixScope(), nullptr);
}

Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform,
                  const MatrixScope& more, MatrixSink* sink) {
  Matrix matrix;
  matrix.systems.assign(std::begin(kSystems), std::end(kSystems));
  Assumptions assumptions(20);
  std::string table;
  if (!ReadTable(language_table, platform, &assumptions, &matrix, &table)) return matrix;
  matrix.languages = LanguagesOf(table, platform);
  // Locales of the other table go before the unknown one, as the lookup
  // names them: by the section it finds, if any.
  const MatrixLanguage unknown = matrix.languages.back();
  matrix.languages.pop_back();
  std::vector<MatrixLanguage> others;
  for (uint32_t lcid : more.lcids) {
    MatrixLanguage language;
    language.lcid_text = FormatLcid(lcid);
    language.choice.lcid = lcid;
    others.push_back(language);
  }
  AddMissing(others, &matrix.languages,
             [](const MatrixLanguage& language) { return language.choice.lcid; });
  matrix.languages.push_back(unknown);

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
    machines = MachineSections(platform.ini());
    AddMissing(more.machines, &machines, [](const WString& id) { return LowerCase(id); });
    matrix.machine_count = machines.size();
    matrix.cells = machines.size() * matrix.languages.size() * matrix.systems.size();
  }
  if (sink != nullptr) sink->Head(matrix);
  if (matrix.prelude.ending == PlanEnding::kBothPasses) {
    std::set<WString> left_out;
    for (const WString& machine : more.left_out) left_out.insert(LowerCase(machine));
    AllMachineRows(machines, left_out, preludes, platform, &assumptions, &matrix, sink);
  }
  matrix.assumptions = assumptions.kept();
  matrix.assumed_answers = assumptions.answered();
  return matrix;
}

}  // namespace quill::plan
