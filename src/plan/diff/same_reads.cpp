#include "plan/diff/same_reads.h"

#include "plan/planning/planner.h"

namespace quill::plan {

namespace {

// The reader finds only the first section of a name and the first key of
// a name in it; comparing every key of that section is more than enough.
bool SameSection(const IniFile& before, const IniFile& after, const WString& name) {
  const IniSection* a = before.FindSection(name);
  const IniSection* b = after.FindSection(name);
  if (a == nullptr || b == nullptr) return a == b;
  if (a->keys.size() != b->keys.size()) return false;
  for (size_t i = 0; i < a->keys.size(); ++i) {
    const IniKey& x = a->keys[i];
    const IniKey& y = b->keys[i];
    if (x.name != y.name || x.has_value != y.has_value || x.value != y.value) return false;
  }
  return true;
}

// A list and every section its values name.
bool SameList(const IniFile& before, const IniFile& after, const WString& name) {
  if (!SameSection(before, after, name)) return false;
  const IniSection* list = before.FindSection(name);
  if (list == nullptr) return true;
  for (const IniKey& key : list->keys) {
    if (key.has_value && !SameSection(before, after, key.value)) return false;
  }
  return true;
}

bool ReadsTheSame(const IniFile& before, const IniFile& after, const WString& machine) {
  for (const WString& list : {WString(u"0xFFFF"), machine}) {
    if (!SameList(before, after, list)) return false;
    for (WindowsKind kind : {WindowsKind::kWinXp, WindowsKind::kVista32, WindowsKind::kVista64}) {
      if (!SameList(before, after, list + u"_" + WindowsWord(kind))) return false;
    }
  }
  return true;
}

}  // namespace

std::vector<WString> MachinesReadingTheSame(const IniFile& before, const IniFile& after,
                                            const std::vector<WString>& machines) {
  std::vector<WString> same;
  if (!SameSection(before, after, u"Settings")) return same;
  for (const WString& machine : machines) {
    if (ReadsTheSame(before, after, machine)) same.push_back(machine);
  }
  return same;
}

}  // namespace quill::plan
