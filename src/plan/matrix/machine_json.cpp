#include "plan/matrix/machine_json.h"

#include <vector>

#include "base/utf.h"
#include "plan/planning/plan_text.h"
#include "plan/planning/plan_words.h"
#include "plan/text/json_text.h"

namespace quill::plan {

namespace {

// A value's text with every line after the first at `line_start`.
std::string Indented(const std::string& text, const std::string& line_start) {
  std::string indented;
  indented.reserve(text.size() + text.size() / 8);
  size_t from = 0;
  for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1) {
    indented.append(text, from, at - from);
    indented += line_start;
  }
  indented.append(text, from, std::string::npos);
  return indented;
}

// Elements as dump(2) writes an array of them, at `line_start`.
std::string Array(const std::vector<std::string>& elements, const std::string& line_start) {
  if (elements.empty()) return "[]";
  std::string text = "[";
  for (size_t i = 0; i < elements.size(); ++i) {
    text += (i == 0 ? "" : ",") + line_start + "  " + elements[i];
  }
  return text + line_start + "]";
}

std::string Quoted(const std::string& text) { return JsonText(nlohmann::ordered_json(text)); }

}  // namespace

nlohmann::ordered_json MachineJson(const MachineMatrix& machine) {
  nlohmann::ordered_json variants = nlohmann::ordered_json::array();
  for (size_t v = 0; v < machine.variants.size(); ++v) {
    const MatrixVariant& variant = machine.variants[v];
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (const PlanEntry& entry : machine.pass0[variant.pass0].entries) {
      entries.push_back(EntryJson(entry));
    }
    if (variant.pass1 >= 0) {
      for (const PlanEntry& entry : machine.pass1[variant.pass1].entries) {
        entries.push_back(EntryJson(entry));
      }
    }
    variants.push_back({{"variant", VariantName(static_cast<int>(v))},
                        {"exit_code", variant.exit_code},
                        {"ending", EndingName(variant.ending)},
                        {"entries", entries}});
  }
  nlohmann::ordered_json grid = nlohmann::ordered_json::array();
  for (const std::vector<int>& row : machine.cells) {
    nlohmann::ordered_json names = nlohmann::ordered_json::array();
    for (int variant : row) names.push_back(VariantName(variant));
    grid.push_back(names);
  }
  return {{"system_id", ToUtf8(machine.system_id)}, {"variants", variants}, {"grid", grid}};
}

std::string MachineJsonText(const MachineMatrix& machine, size_t indent) {
  const std::string at0 = "\n" + std::string(indent, ' ');
  const std::string at2 = at0 + "  ";
  const std::string at4 = at2 + "  ";
  const std::string at6 = at4 + "  ";
  const std::string at8 = at6 + "  ";
  auto entries_of = [&](const std::vector<PassPlan>& passes) {
    std::vector<std::vector<std::string>> texts(passes.size());
    for (size_t p = 0; p < passes.size(); ++p) {
      for (const PlanEntry& entry : passes[p].entries) {
        texts[p].push_back(Indented(JsonText(EntryJson(entry), 2), at8));
      }
    }
    return texts;
  };
  const std::vector<std::vector<std::string>> pass0 = entries_of(machine.pass0);
  const std::vector<std::vector<std::string>> pass1 = entries_of(machine.pass1);

  std::vector<std::string> variants;
  for (size_t v = 0; v < machine.variants.size(); ++v) {
    const MatrixVariant& variant = machine.variants[v];
    std::vector<std::string> entries = pass0[variant.pass0];
    if (variant.pass1 >= 0) {
      entries.insert(entries.end(), pass1[variant.pass1].begin(), pass1[variant.pass1].end());
    }
    variants.push_back("{" + at6 + "\"variant\": " + Quoted(VariantName(static_cast<int>(v))) +
                       "," + at6 + "\"exit_code\": " + std::to_string(variant.exit_code) + "," +
                       at6 + "\"ending\": " + Quoted(EndingName(variant.ending)) + "," + at6 +
                       "\"entries\": " + Array(entries, at6) + at4 + "}");
  }
  std::vector<std::string> grid;
  for (const std::vector<int>& row : machine.cells) {
    std::vector<std::string> names;
    for (int variant : row) names.push_back(Quoted(VariantName(variant)));
    grid.push_back(Array(names, at4));
  }
  return "{" + at2 + "\"system_id\": " + Quoted(ToUtf8(machine.system_id)) + "," + at2 +
         "\"variants\": " + Array(variants, at2) + "," + at2 + "\"grid\": " + Array(grid, at2) +
         at0 + "}";
}

}  // namespace quill::plan
