#include "plan/change/plan_diff.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>

#include "base/utf.h"
#include "plan/matrix/matrix_text.h"
#include "plan/planning/plan_words.h"
#include "plan/text/case_fold.h"
#include "runner/detection.h"

namespace quill::plan {

namespace {

// One launch or skip of a plan, told as a change would tell it.
struct Item {
  int pass = 0;
  std::string list;
  std::string application;
  std::string outcome;
  std::string compared;  // the outcome as the run tells it apart

  bool operator==(const Item& other) const {
    return pass == other.pass && list == other.list && application == other.application &&
           compared == other.compared;
  }
  bool SameApplication(const Item& other) const {
    return pass == other.pass && list == other.list && application == other.application;
  }
};

// A detection rule as the run asks it, without what only its writing
// changes: the order and case of product codes, a version's missing zeros,
// the root's spelling, a trailing backslash, the case of a path or key.
std::string AskedRule(const WString& written) {
  DetectRule rule;
  if (!ParseWrittenRule(written, &rule)) return ToUtf8(written);
  std::string text = ToUtf8(DetectKeyName(rule.kind)) + "=";
  std::vector<WString> codes = rule.product_codes;
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  for (const WString& code : codes) text += ToUtf8(code) + ",";
  WString path = LowerCase(rule.path);
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  text += ToUtf8(path);
  if (rule.has_version) {
    for (int i = 0; i < 4; ++i)
      text += (i == 0 ? " >= " : ".") + std::to_string(rule.least.parts[i]);
  }
  if (rule.kind == DetectKind::kKey) text += rule.view_64 ? (rule.view_32 ? "" : " 64") : " 32";
  return text;
}

// The folders a skip tried name one language: the skip is told without
// them, so that it is one change in every language it happens in. With
// `asked`, the rules are as the run asks them.
std::string Outcome(const PlanEntry& entry, bool asked = false) {
  if (entry.skip == SkipReason::kNoLanguageFolder) {
    return "skipped, no language folder under " + ToUtf8(entry.app_path) + " and no GlobalSwitches";
  }
  if (!entry.launched) return "skipped, " + SkipText(entry);
  std::string text = "launch " + ToUtf8(entry.command_line);
  if (entry.handed != entry.command_line) text += ", started as " + ToUtf8(entry.handed);
  if (entry.exit_codes_judged) text += "; success codes " + SuccessCodesJudged(entry);
  if (entry.limits_shown) text += "; waits for " + LaunchLimitsText(entry);
  if (entry.detect_rules.empty()) return text;
  text += "; not started when installed: ";
  if (!asked) return text + DetectRulesText(entry);
  for (const WString& rule : entry.detect_rules) text += AskedRule(rule) + "; ";
  return text;
}

std::string ListName(const WString& list, const WString& system_id) {
  if (list.size() >= system_id.size() &&
      EqualIgnoringCase(list.substr(0, system_id.size()), system_id)) {
    return "<machine>" + ToUtf8(list.substr(system_id.size()));
  }
  return ToUtf8(list);
}

std::vector<Item> Items(const MachineMatrix& machine, int variant_index) {
  const MatrixVariant& variant = machine.variants[variant_index];
  std::vector<const PassPlan*> passes = {&machine.pass0[variant.pass0]};
  if (variant.pass1 >= 0) passes.push_back(&machine.pass1[variant.pass1]);
  std::vector<Item> items;
  for (const PassPlan* pass : passes) {
    for (const PlanEntry& entry : pass->entries) {
      items.push_back({entry.pass, ListName(entry.list_section, machine.system_id),
                       ToUtf8(entry.app_section), Outcome(entry), Outcome(entry, true)});
    }
  }
  return items;
}

// What lies between two kept items: a removal and an addition of the same
// application in the same list is a change of it.
void Settle(std::vector<const Item*>* removed, std::vector<const Item*>* added,
            std::vector<EntryChange>* changes) {
  std::vector<bool> paired(added->size(), false);
  for (const Item* gone : *removed) {
    EntryChange change{ChangeKind::kRemoved, gone->pass,    gone->list,
                       gone->application,    gone->outcome, ""};
    for (size_t i = 0; i < added->size(); ++i) {
      if (!paired[i] && gone->SameApplication(*(*added)[i])) {
        paired[i] = true;
        change.kind = ChangeKind::kChanged;
        change.after = (*added)[i]->outcome;
        break;
      }
    }
    changes->push_back(change);
  }
  for (size_t i = 0; i < added->size(); ++i) {
    const Item* item = (*added)[i];
    if (!paired[i]) {
      changes->push_back(
          {ChangeKind::kAdded, item->pass, item->list, item->application, "", item->outcome});
    }
  }
  removed->clear();
  added->clear();
}

// The items both plans keep are their longest common subsequence; the
// rest is removed from the first or added in the second.
std::vector<EntryChange> Changes(const std::vector<Item>& before, const std::vector<Item>& after) {
  const size_t front = static_cast<size_t>(
      std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first -
      before.begin());
  const size_t back = static_cast<size_t>(
      std::mismatch(before.rbegin(), before.rend() - static_cast<std::ptrdiff_t>(front),
                    after.rbegin(), after.rend() - static_cast<std::ptrdiff_t>(front))
          .first -
      before.rbegin());
  const size_t n = before.size() - front - back;
  const size_t m = after.size() - front - back;
  std::vector<EntryChange> changes;
  if (n == 0 && m == 0) return changes;
  std::vector<std::vector<int>> kept(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m; j-- > 0;) {
      kept[i][j] = before[front + i] == after[front + j] ? kept[i + 1][j + 1] + 1
                                                         : std::max(kept[i + 1][j], kept[i][j + 1]);
    }
  }
  std::vector<const Item*> removed;
  std::vector<const Item*> added;
  size_t i = 0;
  size_t j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && before[front + i] == after[front + j]) {
      Settle(&removed, &added, &changes);
      ++i;
      ++j;
    } else if (j == m || (i < n && kept[i + 1][j] >= kept[i][j + 1])) {
      removed.push_back(&before[front + i++]);
    } else {
      added.push_back(&after[front + j++]);
    }
  }
  Settle(&removed, &added, &changes);
  return changes;
}

template <typename T, typename Same>
std::vector<int> IndexIn(const std::vector<T>& from, const std::vector<T>& in, Same same) {
  std::vector<int> index;
  for (const T& item : from) {
    int found = -1;
    for (size_t i = 0; i < in.size() && found < 0; ++i) {
      if (same(item, in[i])) found = static_cast<int>(i);
    }
    index.push_back(found);
  }
  return index;
}

bool SameLanguage(const MatrixLanguage& a, const MatrixLanguage& b) {
  return a.choice.by_lcid == b.choice.by_lcid &&
         (!a.choice.by_lcid || a.choice.lcid == b.choice.lcid);
}

// How many files the two lists give another hash, add or drop.
std::string ListedChanges(const PlanSettings& a, const PlanSettings& b) {
  size_t changed = 0;
  for (const auto& [key, listed] : a.listed_hashes) {
    const auto found = b.listed_hashes.find(key);
    changed += found == b.listed_hashes.end() || found->second.sha256 != listed.sha256;
  }
  for (const auto& entry : b.listed_hashes) changed += a.listed_hashes.count(entry.first) == 0;
  return changed == 0 ? "" : std::to_string(changed) + " files added, dropped or hashed anew";
}

void CompareSettings(const Matrix& before, const Matrix& after, MatrixDiff* diff) {
  const PlanSettings& a = before.prelude.settings;
  const PlanSettings& b = after.prelude.settings;
  auto compare = [&](const char* name, const std::string& x, const std::string& y) {
    if (x != y) diff->settings.push_back({name, x, y});
  };
  compare("log path", ToUtf8(a.log_path), ToUtf8(b.log_path));
  compare("MaxInstallTime", std::to_string(a.max_install_time) + " seconds",
          std::to_string(b.max_install_time) + " seconds");
  compare("WaitForExit", a.wait_for_exit ? "yes" : "no", b.wait_for_exit ? "yes" : "no");
  compare("NewerWindows", a.newer_windows ? "yes" : "no", b.newer_windows ? "yes" : "no");
  compare("WaitForChildren", a.wait_for_children ? "yes" : "no",
          b.wait_for_children ? "yes" : "no");
  compare("StopAtTimeLimit", a.stop_at_time_limit ? "yes" : "no",
          b.stop_at_time_limit ? "yes" : "no");
  compare("WaitForInstallerService", std::to_string(a.installer_service_seconds) + " seconds",
          std::to_string(b.installer_service_seconds) + " seconds");
  compare("AppInstlPath", ToUtf8(a.app_instl_path), ToUtf8(b.app_instl_path));
  compare("exit codes", ExitCodesText(a), ExitCodesText(b));
  // Windows names files without regard to case.
  if (a.hash_list_text.empty() != b.hash_list_text.empty() ||
      LowerCase(a.hash_list_path) != LowerCase(b.hash_list_path) ||
      a.hash_list_read != b.hash_list_read || a.listed_hashes.size() != b.listed_hashes.size()) {
    compare("HashList", HashListText(a), HashListText(b));
  }
  compare("HashList hashes", "", ListedChanges(a, b));
  compare("LogCopy", LogCopyText(a), LogCopyText(b));
  auto ending = [](const Prelude& prelude) {
    Plan plan;
    plan.ending = prelude.ending;
    plan.error_record = prelude.error_record;
    return EndingText(plan);
  };
  compare("run", ending(before.prelude), ending(after.prelude));
}

// Each machine of `after` in `before`, by SystemID without regard to case;
// -1 where `before` has none. A deployment has many machines: they are
// looked up, not compared each with each.
std::vector<int> MachinesIn(const Matrix& after, const Matrix& before) {
  std::unordered_map<WString, int> index;
  for (size_t i = 0; i < before.machines.size(); ++i) {
    index.emplace(LowerCase(before.machines[i].system_id), static_cast<int>(i));
  }
  std::vector<int> found;
  found.reserve(after.machines.size());
  for (const MachineMatrix& machine : after.machines) {
    const auto at = index.find(LowerCase(machine.system_id));
    found.push_back(at == index.end() ? -1 : at->second);
  }
  return found;
}

void CompareCells(const Matrix& before, const Matrix& after, MatrixDiff* diff) {
  const std::vector<int> machine_in_before = MachinesIn(after, before);
  const std::vector<int> language_in_before =
      IndexIn(after.languages, before.languages, SameLanguage);
  std::map<EntryChange, int> group_of;
  for (size_t m = 0; m < after.machines.size(); ++m) {
    // Not made over the same scope, or left out on one side: the same inputs.
    if (machine_in_before[m] < 0) continue;
    const MachineMatrix& old_machine = before.machines[machine_in_before[m]];
    const MachineMatrix& new_machine = after.machines[m];
    // A machine has few plans: each pair of them is compared once.
    std::map<std::pair<int, int>, std::vector<int>> groups_of_pair;
    for (size_t l = 0; l < after.languages.size(); ++l) {
      if (language_in_before[l] < 0) continue;
      for (size_t s = 0; s < after.systems.size(); ++s) {
        const std::pair<int, int> pair(old_machine.cells[language_in_before[l]][s],
                                       new_machine.cells[l][s]);
        auto found = groups_of_pair.find(pair);
        if (found == groups_of_pair.end()) {
          std::vector<int> groups;
          for (const EntryChange& change :
               Changes(Items(old_machine, pair.first), Items(new_machine, pair.second))) {
            const auto added = group_of.emplace(change, static_cast<int>(diff->groups.size()));
            if (added.second) diff->groups.push_back({change, {}});
            groups.push_back(added.first->second);
          }
          found = groups_of_pair.emplace(pair, std::move(groups)).first;
        }
        if (found->second.empty()) continue;
        ++diff->changed_cells;
        for (int group : found->second) {
          diff->groups[group].cells.push_back(
              {static_cast<int>(new_machine.index), static_cast<int>(l), static_cast<int>(s)});
        }
      }
    }
  }
  std::stable_sort(
      diff->groups.begin(), diff->groups.end(),
      [](const ChangeGroup& a, const ChangeGroup& b) { return a.cells.size() > b.cells.size(); });
}

}  // namespace

const char* ChangeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::kAdded: return "added";
    case ChangeKind::kRemoved: return "removed";
    case ChangeKind::kChanged: return "changed";
  }
  return "";
}

bool EntryChange::operator<(const EntryChange& other) const {
  return std::tie(kind, pass, list, application, before, after) <
         std::tie(other.kind, other.pass, other.list, other.application, other.before, other.after);
}

MatrixDiff CompareMatrices(const Matrix& before, const Matrix& after) {
  MatrixDiff diff;
  diff.machines.reserve(after.machine_ids.size());
  for (const WString& machine : after.machine_ids) diff.machines.push_back(ToUtf8(machine));
  for (const WindowsKind& system : after.systems) diff.systems.push_back(SystemLabel(system));
  const std::vector<int> language_in_before =
      IndexIn(after.languages, before.languages, SameLanguage);
  for (size_t l = 0; l < after.languages.size(); ++l) {
    // A locale only the old table knows is named as the old table names it.
    const bool unnamed = after.languages[l].label == u"(none)" && language_in_before[l] >= 0;
    diff.languages.push_back(
        LanguageLabel(unnamed ? before.languages[language_in_before[l]] : after.languages[l]));
  }
  diff.cells = after.cells;
  CompareSettings(before, after, &diff);
  const bool both_plan = before.prelude.ending == PlanEnding::kBothPasses &&
                         after.prelude.ending == PlanEnding::kBothPasses;
  if (both_plan) {
    CompareCells(before, after, &diff);
  } else if (!diff.settings.empty()) {
    // A run that ends before its passes on one side changes every cell.
    diff.cells = std::max(before.cells, after.cells);
    diff.changed_cells = diff.cells;
  }
  return diff;
}

std::vector<Finding> NewFindings(const std::vector<Finding>& before,
                                 const std::vector<Finding>& after) {
  std::map<std::pair<std::string, std::string>, int> known;
  for (const Finding& finding : before) ++known[{finding.rule, finding.message}];
  std::vector<Finding> found;
  for (const Finding& finding : after) {
    if (known[{finding.rule, finding.message}]-- <= 0) found.push_back(finding);
  }
  return found;
}

}  // namespace quill::plan
