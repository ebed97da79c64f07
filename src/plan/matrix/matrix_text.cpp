#include "plan/matrix/matrix_text.h"

#include <iomanip>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plan/matrix/machine_json.h"
#include "plan/planning/plan_text.h"
#include "plan/planning/plan_words.h"
#include "plan/text/json_text.h"

namespace quill::plan {

std::string SystemLabel(const WindowsKind& system) {
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

}  // namespace

void WriteVariantsText(const MachineMatrix& machine, const std::vector<int>& variants,
                       std::ostream& out) {
  if (variants.empty()) return;
  const std::vector<std::string> first = VariantLines(machine, machine.variants[variants.front()]);
  const std::set<std::string> in_first(first.begin(), first.end());
  for (size_t i = 0; i < variants.size(); ++i) {
    const MatrixVariant& variant = machine.variants[variants[i]];
    out << "  " << VariantName(static_cast<int>(i)) << ": exit code " << variant.exit_code << "\n";
    for (const std::string& line : VariantLines(machine, variant)) {
      out << (i > 0 && in_first.count(line) == 0 ? "  * " : "    ") << line << "\n";
    }
  }
}

namespace {

void WriteMachine(const Matrix& matrix, const MachineMatrix& machine, std::ostream& out) {
  out << "machine " << ToUtf8(machine.system_id) << ": " << machine.variants.size()
      << (machine.variants.size() == 1 ? " plan" : " different plans") << "\n";
  size_t width = 8;
  for (const MatrixLanguage& language : matrix.languages) {
    width = std::max(width, LanguageLabel(language).size());
  }
  out << "  " << std::left << std::setw(static_cast<int>(width) + 2) << "language";
  // A newer system's name is wider than the nine columns of the others.
  std::vector<int> columns;
  for (const WindowsKind& system : matrix.systems) {
    columns.push_back(static_cast<int>(std::max<size_t>(9, SystemLabel(system).size() + 1)));
    out << std::setw(columns.back()) << SystemLabel(system);
  }
  out << "\n";
  for (size_t row = 0; row < matrix.languages.size(); ++row) {
    out << "  " << std::setw(static_cast<int>(width) + 2) << LanguageLabel(matrix.languages[row]);
    for (size_t s = 0; s < machine.cells[row].size(); ++s) {
      out << std::setw(columns[s]) << VariantName(machine.cells[row][s]);
    }
    out << "\n";
  }
  std::vector<int> every(machine.variants.size());
  for (size_t v = 0; v < every.size(); ++v) every[v] = static_cast<int>(v);
  WriteVariantsText(machine, every, out);
}

// A JSON object written member by member, as dump(2) of the whole would
// write it: nested values are dumped alone and indented to their depth.
class JsonObjectWriter {
 public:
  explicit JsonObjectWriter(std::ostream& out) : out_(out) {}
  void Member(const char* key, const nlohmann::ordered_json& value) {
    Key(key);
    Value(value, "\n  ");
  }
  void BeginArray(const char* key) {
    Key(key);
    out_ << "[";
    first_element_ = true;
  }
  // An element's text, every line after the first indented by four.
  void Element(const std::string& text) {
    out_ << (first_element_ ? "\n    " : ",\n    ") << text;
    first_element_ = false;
  }
  void EndArray() { out_ << (first_element_ ? "]" : "\n  ]"); }
  void End() { out_ << (first_member_ ? "{}\n" : "\n}\n"); }

 private:
  void Key(const char* key) {
    out_ << (first_member_ ? "{\n  " : ",\n  ") << JsonText(nlohmann::ordered_json(key)) << ": ";
    first_member_ = false;
  }
  // JSON text holds no raw line feed but between its tokens.
  void Value(const nlohmann::ordered_json& value, const char* line_start) {
    const std::string text = JsonText(value, 2);
    size_t from = 0;
    for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1) {
      out_.write(text.data() + from, static_cast<std::streamsize>(at - from));
      out_ << line_start;
    }
    out_ << text.substr(from);
  }

  std::ostream& out_;
  bool first_member_ = true;
  bool first_element_ = true;
};

void WriteTextHead(const Matrix& matrix, std::ostream& out) {
  const PlanSettings& settings = matrix.prelude.settings;
  out << "settings: log " << ToUtf8(settings.log_path) << ", MaxInstallTime "
      << settings.max_install_time << " seconds, AppInstlPath "
      << (settings.app_instl_path.empty() ? "(not given)" : ToUtf8(settings.app_instl_path))
      << (settings.wait_for_exit ? ", WaitForExit 1" : "")
      << (settings.newer_windows ? ", NewerWindows 1" : "");
  if (ExitKeysGiven(settings)) out << ", exit codes " << ExitCodesText(settings);
  if (!settings.hash_list_text.empty()) out << ", HashList " << HashListText(settings);
  if (!settings.log_copy_text.empty()) out << ", LogCopy " << ToUtf8(settings.log_copy_text);
  // Given at all, they let each application's own be read: 0 too.
  if (!settings.wait_for_children_text.empty()) {
    out << ", WaitForChildren " << (settings.wait_for_children ? 1 : 0);
  }
  if (!settings.stop_at_time_limit_text.empty()) {
    out << ", StopAtTimeLimit " << (settings.stop_at_time_limit ? 1 : 0);
  }
  if (!settings.installer_service_text.empty()) {
    out << ", WaitForInstallerService " << settings.installer_service_seconds << " s";
  }
  out << "\n";
  if (matrix.prelude.ending != PlanEnding::kBothPasses) {
    Plan ended;
    ended.ending = matrix.prelude.ending;
    ended.error_record = matrix.prelude.error_record;
    out << "every machine: " << EndingText(ended) << "; exit code 0\n";
    return;
  }
  out << "(in a command line, <code> stands for the row's language code)\n";
  out << matrix.machine_count << " machines x " << matrix.systems.size() << " systems x "
      << matrix.languages.size() << " languages = " << matrix.cells << " cells\n";
}

void WriteTextTail(const Matrix& matrix, std::ostream& out) {
  if (matrix.prelude.ending != PlanEnding::kBothPasses || matrix.assumed_answers == 0) return;
  out << "assumptions: " << matrix.assumed_answers
      << " file questions answered by assumption, such as\n";
  for (const FileQuestionAsked& asked : matrix.assumptions) {
    out << "  " << ToUtf8(asked.path) << ": " << (asked.answer.exists ? "present" : "missing")
        << "\n";
  }
}

void WriteJsonHead(const Matrix& matrix, JsonObjectWriter& json) {
  const PlanSettings& settings = matrix.prelude.settings;
  nlohmann::ordered_json head = {{"log_path", ToUtf8(settings.log_path)},
                                 {"max_install_time", settings.max_install_time},
                                 {"wait_for_exit", settings.wait_for_exit},
                                 {"AppInstlPath", ToUtf8(settings.app_instl_path)},
                                 {"language_table", ToUtf8(settings.language_table_path)}};
  if (!settings.wait_for_children_text.empty()) {
    head["wait_for_children"] = settings.wait_for_children;
  }
  if (!settings.stop_at_time_limit_text.empty()) {
    head["stop_at_time_limit"] = settings.stop_at_time_limit;
  }
  if (!settings.installer_service_text.empty()) {
    head["wait_for_installer_service"] = settings.installer_service_seconds;
  }
  json.Member("settings", head);
  if (ExitKeysGiven(settings)) json.Member("exit_codes", ExitCodesText(settings));
  json.Member("ending", EndingName(matrix.prelude.ending));
  nlohmann::ordered_json systems = nlohmann::ordered_json::array();
  for (const WindowsKind& system : matrix.systems) systems.push_back(SystemLabel(system));
  json.Member("systems", systems);
  nlohmann::ordered_json languages = nlohmann::ordered_json::array();
  for (const MatrixLanguage& language : matrix.languages) {
    languages.push_back({{"section", ToUtf8(language.label)}, {"lcid", ToUtf8(language.lcid_text)}});
  }
  json.Member("languages", languages);
  json.Member("cells", matrix.cells);
  json.BeginArray("machines");
}

void WriteJsonTail(const Matrix& matrix, JsonObjectWriter& json) {
  json.EndArray();
  json.Member("assumed_answers", matrix.assumed_answers);
  json.Member("assumptions", QuestionsJson(matrix.assumptions));
  json.End();
}

class TextSink : public MatrixSink {
 public:
  explicit TextSink(std::ostream& out) : out_(out) {}
  void Head(const Matrix& matrix) override { WriteTextHead(matrix, out_); }
  std::string Rows(const Matrix& matrix, const MachineMatrix& machine) const override {
    std::ostringstream text;
    WriteMachine(matrix, machine, text);
    return text.str();
  }
  void Machine(const std::string& rows) override { out_ << rows; }

 private:
  std::ostream& out_;
};

class JsonSink : public MatrixSink {
 public:
  explicit JsonSink(std::ostream& out) : json_(out) {}
  void Head(const Matrix& matrix) override { WriteJsonHead(matrix, json_); }
  std::string Rows(const Matrix&, const MachineMatrix& machine) const override {
    return MachineJsonText(machine, 4);
  }
  void Machine(const std::string& rows) override { json_.Element(rows); }
  JsonObjectWriter& json() { return json_; }

 private:
  JsonObjectWriter json_;
};

}  // namespace

void WriteMatrixText(const Matrix& matrix, std::ostream& out) {
  if (!matrix.problem.empty()) {
    out << "no matrix: " << matrix.problem << "\n";
    return;
  }
  TextSink sink(out);
  sink.Head(matrix);
  for (const MachineMatrix& machine : matrix.machines) sink.Machine(sink.Rows(matrix, machine));
  WriteTextTail(matrix, out);
}

void WriteMatrixJson(const Matrix& matrix, std::ostream& out) {
  if (!matrix.problem.empty()) {
    out << JsonText(nlohmann::ordered_json({{"problem", matrix.problem}}), 2) << "\n";
    return;
  }
  JsonSink sink(out);
  sink.Head(matrix);
  for (const MachineMatrix& machine : matrix.machines) sink.Machine(sink.Rows(matrix, machine));
  WriteJsonTail(matrix, sink.json());
}

Matrix WriteMatrixAsMade(const std::string& language_table, PlanPlatform& platform, bool json,
                         std::ostream& out, Workers* workers) {
  if (json) {
    JsonSink sink(out);
    const Matrix matrix = MakeMatrix(language_table, platform, MatrixScope(), &sink, workers);
    if (matrix.problem.empty()) {
      WriteJsonTail(matrix, sink.json());
    } else {
      WriteMatrixJson(matrix, out);
    }
    return matrix;
  }
  TextSink sink(out);
  const Matrix matrix = MakeMatrix(language_table, platform, MatrixScope(), &sink, workers);
  if (matrix.problem.empty()) {
    WriteTextTail(matrix, out);
  } else {
    WriteMatrixText(matrix, out);
  }
  return matrix;
}

nlohmann::ordered_json MatrixJson(const Matrix& matrix) {
  std::ostringstream text;
  WriteMatrixJson(matrix, text);
  return nlohmann::ordered_json::parse(text.str());
}

}  // namespace quill::plan
