#include "plan/change/diff_text.h"

#include <map>

#include "plan/text/counted.h"

namespace quill::plan {

namespace {

// Past this many runs a list says how many more there are.
constexpr size_t kRunsShown = 8;

std::string Named(const std::vector<int>& indices, const std::vector<std::string>& names,
                  const char* one, const char* many, const char* every) {
  if (indices.size() == names.size())
    return std::string(every) + " (" + Counted(indices.size(), one, many) + ")";
  return Runs(indices, names) + " (" + Counted(indices.size(), one, many) + ")";
}

nlohmann::ordered_json NamesJson(const std::vector<int>& indices,
                                 const std::vector<std::string>& names) {
  nlohmann::ordered_json json = nlohmann::ordered_json::array();
  for (int index : indices) json.push_back(names[index]);
  return json;
}

}  // namespace

std::string Runs(const std::vector<int>& indices, const std::vector<std::string>& names) {
  std::string text;
  size_t shown = 0;
  for (size_t i = 0; i < indices.size(); ++shown) {
    size_t last = i;
    while (last + 1 < indices.size() && indices[last + 1] == indices[last] + 1) ++last;
    if (shown == kRunsShown) {
      return text + ", and " + std::to_string(indices.size() - i) + " more";
    }
    if (!text.empty()) text += ", ";
    text += names[indices[i]];
    if (last > i) text += (last == i + 1 ? ", " : "..") + names[indices[last]];
    i = last + 1;
  }
  return text;
}

void WriteChangeText(const EntryChange& change, std::ostream& out) {
  out << "  " << ChangeKindName(change.kind) << " pass " << change.pass << " [" << change.list
      << "] " << change.application;
  if (change.kind == ChangeKind::kAdded) out << ": " << change.after << "\n";
  if (change.kind == ChangeKind::kRemoved) out << ": " << change.before << "\n";
  if (change.kind == ChangeKind::kChanged) {
    out << "\n    was " << change.before << "\n    now " << change.after << "\n";
  }
}

nlohmann::ordered_json ChangeJson(const EntryChange& change) {
  return {{"kind", ChangeKindName(change.kind)}, {"pass", change.pass},  {"list", change.list},
          {"application", change.application},   {"old", change.before}, {"new", change.after}};
}

std::vector<CellsWhere> WhereCells(const MatrixDiff& diff, const std::vector<DiffCell>& cells) {
  // Each machine's cells as one pattern over languages x systems.
  const size_t systems = diff.systems.size();
  std::map<int, std::vector<bool>> pattern_of;
  for (const DiffCell& cell : cells) {
    std::vector<bool>& pattern = pattern_of[cell.machine];
    pattern.resize(diff.languages.size() * systems);
    pattern[cell.language * systems + cell.system] = true;
  }
  std::map<std::vector<bool>, size_t> row_of;
  std::vector<CellsWhere> rows;
  for (const auto& [machine, pattern] : pattern_of) {
    const auto found = row_of.emplace(pattern, rows.size());
    if (found.second) {
      CellsWhere row;
      std::map<std::vector<int>, size_t> system_of;  // languages to their entry
      for (size_t s = 0; s < systems; ++s) {
        std::vector<int> languages;
        for (size_t l = 0; l < diff.languages.size(); ++l) {
          if (pattern[l * systems + s]) languages.push_back(static_cast<int>(l));
        }
        if (languages.empty()) continue;
        const auto known = system_of.emplace(languages, row.systems_languages.size());
        if (known.second) row.systems_languages.push_back({{}, languages});
        row.systems_languages[known.first->second].first.push_back(static_cast<int>(s));
      }
      rows.push_back(row);
    }
    rows[found.first->second].machines.push_back(machine);
  }
  return rows;
}

void WriteDiffText(const MatrixDiff& diff, const std::string& before, const std::string& after,
                   std::ostream& out) {
  out << "old " << before << "\nnew " << after << "\n";
  out << diff.cells << " cells (" << Counted(diff.machines.size(), "machine", "machines") << " x "
      << diff.systems.size() << " systems x "
      << Counted(diff.languages.size(), "language", "languages") << "), " << diff.changed_cells
      << " changed; " << Counted(diff.groups.size(), "change", "changes") << "\n";
  for (const SettingChange& setting : diff.settings) {
    out << "setting " << setting.name << ": " << setting.before << " -> " << setting.after
        << " (every cell)\n";
  }
  for (size_t g = 0; g < diff.groups.size(); ++g) {
    const ChangeGroup& group = diff.groups[g];
    out << "change " << g + 1 << ": " << Counted(group.cells.size(), "cell", "cells") << "\n";
    WriteChangeText(group.change, out);
    for (const CellsWhere& where : WhereCells(diff, group.cells)) {
      out << "  in " << Named(where.machines, diff.machines, "machine", "machines", "every machine")
          << "\n";
      for (const auto& [systems, languages] : where.systems_languages) {
        out << "     " << Named(systems, diff.systems, "system", "systems", "every system") << " x "
            << Named(languages, diff.languages, "language", "languages", "every language") << "\n";
      }
    }
  }
  out << "lint findings new in " << after << ": " << diff.new_findings.size() << "\n";
  for (const Finding& finding : diff.new_findings) out << "  " << FindingLine(finding) << "\n";
}

nlohmann::ordered_json DiffJson(const MatrixDiff& diff, const std::string& before,
                                const std::string& after) {
  nlohmann::ordered_json json;
  json["old"] = before;
  json["new"] = after;
  json["machines"] = diff.machines;
  json["systems"] = diff.systems;
  json["languages"] = diff.languages;
  json["cells"] = diff.cells;
  json["changed_cells"] = diff.changed_cells;
  json["settings"] = nlohmann::ordered_json::array();
  for (const SettingChange& setting : diff.settings) {
    json["settings"].push_back(
        {{"name", setting.name}, {"old", setting.before}, {"new", setting.after}});
  }
  json["changes"] = nlohmann::ordered_json::array();
  for (const ChangeGroup& group : diff.groups) {
    nlohmann::ordered_json where = nlohmann::ordered_json::array();
    for (const CellsWhere& row : WhereCells(diff, group.cells)) {
      nlohmann::ordered_json patterns = nlohmann::ordered_json::array();
      for (const auto& [systems, languages] : row.systems_languages) {
        patterns.push_back({{"systems", NamesJson(systems, diff.systems)},
                            {"languages", NamesJson(languages, diff.languages)}});
      }
      where.push_back({{"machines", NamesJson(row.machines, diff.machines)}, {"cells", patterns}});
    }
    nlohmann::ordered_json told = ChangeJson(group.change);
    told["cells"] = group.cells.size();
    told["where"] = where;
    json["changes"].push_back(told);
  }
  json["new_findings"] = nlohmann::ordered_json::array();
  for (const Finding& finding : diff.new_findings)
    json["new_findings"].push_back(FindingJson(finding));
  return json;
}

}  // namespace quill::plan
