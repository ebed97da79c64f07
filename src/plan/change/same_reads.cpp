#include "plan/change/same_reads.h"

#include <unordered_map>
#include "base/ini_keys.h"

#include "plan/matrix/matrix.h"
#include "plan/planning/planner.h"

namespace quill::plan {

namespace {

// The reader finds only the first section of a name and the first key of
// a name in it; comparing every key of that section is more than enough.
bool SameSection(const IniFile& before, const IniFile& after, const WString& name) {
  const IniSection* a = before.FindSection(name);
  const IniSection* b = after.FindSection(name);
  if (a == nullptr || b == nullptr) return a == b;
  const IniKeys xs = before.Keys(*a);
  const IniKeys ys = after.Keys(*b);
  if (xs.size() != ys.size()) return false;
  for (size_t i = 0; i < xs.size(); ++i) {
    const IniKey& x = xs[i];
    const IniKey& y = ys[i];
    if (x.has_value != y.has_value || before.Name(x) != after.Name(y) ||
        before.Value(x) != after.Value(y)) {
      return false;
    }
  }
  return true;
}

// Applications are named by many lists: each is compared once, by the
// name as written.
using Compared = std::unordered_map<WString, bool>;

// A list and every section its values name.
bool SameList(const IniFile& before, const IniFile& after, const WString& name,
              Compared& applications) {
  if (!SameSection(before, after, name)) return false;
  const IniSection* list = before.FindSection(name);
  if (list == nullptr) return true;
  for (const IniKey& key : before.Keys(*list)) {
    if (!key.has_value) continue;
    const WString value = before.Value(key).str();
    auto known = applications.find(value);
    if (known == applications.end()) {
      known = applications.emplace(value, SameSection(before, after, value)).first;
    }
    if (!known->second) return false;
  }
  return true;
}

// The systems either file has pass-1 lists for: the three of old and the
// newer ones its sections name.
std::vector<WindowsKind> ListedSystems(const IniFile& before, const IniFile& after) {
  std::vector<WindowsKind> systems = {WindowsKind::kWinXp, WindowsKind::kVista32,
                                      WindowsKind::kVista64};
  for (const IniFile* ini : {&before, &after}) {
    for (const WindowsKind& system : NewerSystemsOf(*ini)) systems.push_back(system);
  }
  return systems;
}

// A machine's lists: its own for pass 0 and for each system of pass 1.
bool SameLists(const IniFile& before, const IniFile& after, const WString& machine,
               const std::vector<WindowsKind>& systems, Compared& applications) {
  if (!SameList(before, after, machine, applications)) return false;
  for (const WindowsKind& kind : systems) {
    if (!SameList(before, after, machine + u"_" + WindowsWord(kind), applications)) return false;
  }
  return true;
}

}  // namespace

std::vector<WString> MachinesReadingOtherwise(const IniFile& before, const IniFile& after,
                                              const std::vector<WString>& machines) {
  Compared applications;
  const std::vector<WindowsKind> systems = ListedSystems(before, after);
  // What every machine reads is compared once.
  if (!SameSection(before, after, kSettingsSection) ||
      !SameLists(before, after, u"0xFFFF", systems, applications)) {
    return machines;
  }
  std::vector<WString> otherwise;
  for (const WString& machine : machines) {
    if (!SameLists(before, after, machine, systems, applications)) otherwise.push_back(machine);
  }
  return otherwise;
}

}  // namespace quill::plan
