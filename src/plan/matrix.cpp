#include "plan/matrix.h"

#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "facts/language_code.h"
#include "facts/os_type.h"
#include "plan/case_fold.h"
#include "plan/table_scan.h"
#include "plan/utf.h"
#include "run/trim.h"

namespace quill::plan {

namespace {

const WindowsKind kSystems[] = {WindowsKind::kWinXp, WindowsKind::kVista32,
                                WindowsKind::kVista64, WindowsKind::kOther};

bool StartsWith0x(const WString& name) {
  return name.size() > 2 && name[0] == u'0' && (name[1] == u'x' || name[1] == u'X');
}

// The section a pass-1 section name is made from, when it is one.
bool IsSystemForm(const WString& name, const std::set<WString>& lowered_sections) {
  const size_t underscore = name.rfind(u'_');
  if (underscore == WString::npos) return false;
  const WString suffix = name.substr(underscore + 1);
  if (WindowsKindFor(suffix) != WindowsKind::kOther) return true;
  return lowered_sections.count(LowerCase(name.substr(0, underscore))) > 0;
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

// What tells one pass from another: every entry's names and outcome. The
// list names alone do not: pass 1 names them after the system.
WString PassKey(const PassPlan& pass) {
  WString key;
  for (const PlanEntry& entry : pass.entries) {
    key += u'\x1e' + entry.list_section + u'\x1f' + entry.app_key + u'\x1f' + entry.app_section +
           u'\x1f' + (entry.launched ? entry.command_line + u'\x1f' + entry.handed
                                     : WString(1, static_cast<char16_t>(entry.skip)));
  }
  return key;
}

int Remember(PassPlan pass, std::vector<PassPlan>& plans, std::unordered_map<WString, int>& known) {
  const auto found = known.emplace(PassKey(pass), static_cast<int>(plans.size()));
  if (found.second) plans.push_back(std::move(pass));
  return found.first->second;
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
  std::unordered_map<WString, int> known0;
  std::unordered_map<WString, int> known1;
  std::map<std::pair<int, int>, int> variants;

  for (const Prelude& prelude : preludes) {
    RunContext context;
    PrepareContext(prelude, system_id, context);
    const int pass0 = Remember(PlanPass(0, context, platform, assumptions), machine.pass0, known0);
    std::vector<int> row;
    for (WindowsKind system : kSystems) {
      context.OSType.clear();
      platform.set_windows(system);
      int pass1 = -1;
      if (DetectOSType(context, platform)) {
        pass1 = Remember(PlanPass(1, context, platform, assumptions), machine.pass1, known1);
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

}  // namespace

std::vector<WString> MachineSections(const IniFile& ini) {
  std::set<WString> lowered;
  for (const IniSection& section : ini.sections()) lowered.insert(LowerCase(section.name));
  const std::set<WString> applications = NamedApplications(ini);

  std::vector<WString> machines;
  std::set<WString> seen;
  for (const IniSection& section : ini.sections()) {
    const WString lowered_name = LowerCase(section.name);
    if (!StartsWith0x(section.name) || lowered_name == u"0xffff") continue;
    if (IsSystemForm(section.name, lowered) || applications.count(lowered_name) > 0) continue;
    if (!seen.insert(lowered_name).second) continue;
    machines.push_back(u"0x" + section.name.substr(2));
  }
  return machines;
}

std::string VariantName(int index) {
  std::string name;
  for (int n = index + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), 'A' + (n - 1) % 26);
  return name;
}

Matrix MakeMatrix(const std::string& language_table, PlanPlatform& platform) {
  Matrix matrix;
  matrix.systems.assign(std::begin(kSystems), std::end(kSystems));
  Assumptions assumptions(20);

  // The settings first: they say where the run finds its language table.
  LanguageChoice first;
  matrix.prelude = PlanPrelude(first, language_table, platform, &assumptions);
  std::string table;
  if (matrix.prelude.ending == PlanEnding::kBothPasses &&
      !platform.files().ReadBytes(matrix.prelude.settings.language_table_path, &table)) {
    matrix.problem = "the language table cannot be read: give --lang-table, or a --map that "
                     "answers " + ToUtf8(matrix.prelude.settings.language_table_path);
    return matrix;
  }
  matrix.languages = LanguagesOf(table, platform);

  std::vector<Prelude> preludes;
  for (const MatrixLanguage& language : matrix.languages) {
    preludes.push_back(PlanPrelude(language.choice, language_table, platform, &assumptions));
  }
  if (matrix.prelude.ending == PlanEnding::kBothPasses) {
    for (const WString& system_id : MachineSections(platform.ini())) {
      matrix.machines.push_back(MachineRows(system_id, preludes, platform, &assumptions));
      matrix.cells += matrix.languages.size() * matrix.systems.size();
    }
  }
  matrix.assumptions = assumptions.kept();
  matrix.assumed_answers = assumptions.answered();
  return matrix;
}

}  // namespace quill::plan
