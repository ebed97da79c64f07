#include "plan/matrix/matrix_text.h"

#include <iomanip>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plan/planning/plan_text.h"
#include "plan/planning/plan_words.h"
#include "plan/windows/utf.h"

namespace quill::plan {

std::string SystemLabel(WindowsKind system) {
  const WString word = WindowsWord(system);
  return word.empty() ? "other" : ToUtf8(word);
}

std::string LanguageLabel(const MatrixLanguage& language) {
  std::string label = ToUtf8(language.label);
  if (!language.lcid_text.empty()) label += " (" + ToUtf8(language.lcid_text) + ")";
  return label;
}

namespace {

// A variant's lines, as WriteEntriesText gives them.
std::vector<std::string> VariantLines(const MachineMatrix& machine, const MatrixVariant& variant) {
  std::ostringstream text;
  std::vector<const PassPlan*> passes = {&machine.pass0[variant.pass0]};
  if (variant.pass1 >= 0) passes.push_back(&machine.pass1[variant.pass1]);
  for (const PassPlan* pass : passes) {
    text << "pass " << pass->pass << ":\n";
    WriteEntriesText(pass->entries, "  ", text);
  }
  if (variant.pass1 < 0) text << "the system is not one the program names: no pass 1\n";
  std::vector<std::string> lines;
  std::istringstream split(text.str());
  for (std::string line; std::getline(split, line);) lines.push_back(line);
  return lines;
}

void WriteMachine(const Matrix& matrix, const MachineMatrix& machine, std::ostream& out) {
  out << "machine " << ToUtf8(machine.system_id) << ": " << machine.variants.size()
      << (machine.variants.size() == 1 ? " plan" : " different plans") << "\n";
  size_t width = 8;
  for (const MatrixLanguage& language : matrix.languages) {
    width = std::max(width, LanguageLabel(language).size());
  }
  out << "  " << std::left << std::setw(static_cast<int>(width) + 2) << "language";
  for (WindowsKind system : matrix.systems) out << std::setw(9) << SystemLabel(system);
  out << "\n";
  for (size_t row = 0; row < matrix.languages.size(); ++row) {
    out << "  " << std::setw(static_cast<int>(width) + 2) << LanguageLabel(matrix.languages[row]);
    for (int variant : machine.cells[row]) out << std::setw(9) << VariantName(variant);
    out << "\n";
  }
  const std::vector<std::string> first = VariantLines(machine, machine.variants.front());
  const std::set<std::string> in_first(first.begin(), first.end());
  for (size_t v = 0; v < machine.variants.size(); ++v) {
    const MatrixVariant& variant = machine.variants[v];
    out << "  " << VariantName(static_cast<int>(v)) << ": exit code " << variant.exit_code << "\n";
    for (const std::string& line : VariantLines(machine, variant)) {
      out << (v > 0 && in_first.count(line) == 0 ? "  * " : "    ") << line << "\n";
    }
  }
}

}  // namespace

void WriteMatrixText(const Matrix& matrix, std::ostream& out) {
  if (!matrix.problem.empty()) {
    out << "no matrix: " << matrix.problem << "\n";
    return;
  }
  const PlanSettings& settings = matrix.prelude.settings;
  out << "settings: log " << ToUtf8(settings.log_path) << ", MaxInstallTime "
      << settings.max_install_time << " seconds, AppInstlPath "
      << (settings.app_instl_path.empty() ? "(not given)" : ToUtf8(settings.app_instl_path))
      << "\n";
  if (matrix.prelude.ending != PlanEnding::kBothPasses) {
    Plan ended;
    ended.ending = matrix.prelude.ending;
    ended.error_record = matrix.prelude.error_record;
    out << "every machine: " << EndingText(ended) << "; exit code 0\n";
    return;
  }
  out << "(in a command line, <code> stands for the row's language code)\n";
  out << matrix.machines.size() << " machines x " << matrix.systems.size() << " systems x "
      << matrix.languages.size() << " languages = " << matrix.cells << " cells\n";
  for (const MachineMatrix& machine : matrix.machines) WriteMachine(matrix, machine, out);
  if (matrix.assumed_answers > 0) {
    out << "assumptions: " << matrix.assumed_answers
        << " file questions answered by assumption, such as\n";
    for (const FileQuestionAsked& asked : matrix.assumptions) {
      out << "  " << ToUtf8(asked.path) << ": " << (asked.answer.exists ? "present" : "missing")
          << "\n";
    }
  }
}

nlohmann::ordered_json MatrixJson(const Matrix& matrix) {
  nlohmann::ordered_json json;
  if (!matrix.problem.empty()) {
    json["problem"] = matrix.problem;
    return json;
  }
  const PlanSettings& settings = matrix.prelude.settings;
  json["settings"] = {{"log_path", ToUtf8(settings.log_path)},
                      {"max_install_time", settings.max_install_time},
                      {"AppInstlPath", ToUtf8(settings.app_instl_path)},
                      {"language_table", ToUtf8(settings.language_table_path)}};
  json["ending"] = EndingName(matrix.prelude.ending);
  json["systems"] = nlohmann::ordered_json::array();
  for (WindowsKind system : matrix.systems) json["systems"].push_back(SystemLabel(system));
  json["languages"] = nlohmann::ordered_json::array();
  for (const MatrixLanguage& language : matrix.languages) {
    json["languages"].push_back(
        {{"section", ToUtf8(language.label)}, {"lcid", ToUtf8(language.lcid_text)}});
  }
  json["cells"] = matrix.cells;
  json["machines"] = nlohmann::ordered_json::array();
  for (const MachineMatrix& machine : matrix.machines) {
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
    json["machines"].push_back({{"system_id", ToUtf8(machine.system_id)},
                                {"variants", variants},
                                {"grid", grid}});
  }
  json["assumed_answers"] = matrix.assumed_answers;
  json["assumptions"] = QuestionsJson(matrix.assumptions);
  return json;
}

}  // namespace quill::plan
