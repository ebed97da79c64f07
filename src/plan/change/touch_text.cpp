#include "plan/change/touch_text.h"

#include "base/utf.h"
#include "plan/change/diff_text.h"
#include "plan/lint/finding.h"
#include "plan/matrix/matrix_text.h"
#include "plan/report/fleet_csv.h"
#include "plan/text/counted.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"

namespace quill::plan {

namespace {

// The PCs a change touches, in the order their logs were read.
template <typename Each>
void ForEachPc(const TouchingChange& change, const FleetFacts& fleet, Each each) {
  for (const FleetPc& pc : fleet.pcs()) {
    if (change.touched[pc.fact]) each(pc);
  }
}

struct PcWords {
  std::string system_id;
  std::string system;
  std::string language;
};

PcWords WordsOf(const FleetPc& pc, const FleetTouch& touch, const FleetFacts& fleet) {
  const PcFact& fact = fleet.facts()[pc.fact];
  return {ToUtf8(fact.system_id), SystemLabel(fact.system), touch.languages[pc.fact]};
}

void WriteWhat(const TouchingChange& change, std::ostream& out) {
  if (change.setting != nullptr) {
    out << "  setting " << change.setting->name << ": " << change.setting->before << " -> "
        << change.setting->after << "\n";
  } else {
    WriteChangeText(change.group->change, out);
  }
}

// Names and values from the files are carried whatever their bytes.
std::string Compact(const nlohmann::ordered_json& json) { return JsonText(json); }

std::string Pretty(const nlohmann::ordered_json& json) { return JsonText(json, 2); }

}  // namespace

std::string FleetLine(const FleetFacts& fleet) {
  return "fleet: " +
         Counted(static_cast<int64_t>(fleet.pcs().size() + fleet.apart().size()), "PC", "PCs") +
         " (one per log), " + std::to_string(fleet.pcs().size()) + " planned as " +
         Counted(static_cast<int64_t>(fleet.facts().size()), "fact", "facts") +
         " (SystemID x OSType x LCID), " + std::to_string(fleet.apart().size()) + " apart" +
         (fleet.skipped_files() > 0
              ? "; " + Counted(fleet.skipped_files(), "file", "files") + " skipped, named on stderr"
              : "");
}

void WriteApartText(const FleetFacts& fleet, std::ostream& out) {
  if (fleet.apart().empty()) return;
  out << "apart, not planned: " << Counted(static_cast<int64_t>(fleet.apart().size()), "PC", "PCs")
      << "\n";
  for (size_t i = 0; i < fleet.apart().size() && i < kPcsShown; ++i) {
    out << "  " << Shown(fleet.apart()[i].file) << ": " << Shown(fleet.apart()[i].reason) << "\n";
  }
  if (fleet.apart().size() > kPcsShown)
    out << "  and " << fleet.apart().size() - kPcsShown << " more\n";
}

void WriteApartJson(const FleetFacts& fleet, std::ostream& out) {
  out << "  \"apart\": [";
  const char* between = "\n    ";
  for (const PcApart& pc : fleet.apart()) {
    out << between << Compact({{"log", pc.file}, {"reason", pc.reason}});
    between = ",\n    ";
  }
  out << (fleet.apart().empty() ? "]" : "\n  ]");
}

void WriteTouchText(const FleetTouch& touch, const FleetFacts& fleet, const std::string& before,
                    const std::string& after, std::ostream& out) {
  out << "old " << Shown(before) << "\nnew " << Shown(after) << "\n" << FleetLine(fleet) << "\n";
  out << "touched: " << Counted(touch.touched_pcs, "PC", "PCs") << " by "
      << Counted(static_cast<int64_t>(touch.changes.size()), "change", "changes") << " (of "
      << touch.deployment_changes << " in the deployment)\n";
  for (size_t c = 0; c < touch.changes.size(); ++c) {
    const TouchingChange& change = touch.changes[c];
    out << "change " << c + 1 << ": " << Counted(change.pcs, "PC", "PCs") << "\n";
    WriteWhat(change, out);
    size_t shown = 0;
    ForEachPc(change, fleet, [&](const FleetPc& pc) {
      if (shown++ >= kPcsShown) return;
      const PcWords words = WordsOf(pc, touch, fleet);
      out << "    " << Shown(pc.file) << "  " << words.system_id << " " << words.system << " "
          << words.language << "\n";
    });
    if (change.pcs > static_cast<int64_t>(kPcsShown)) {
      out << "    and " << change.pcs - static_cast<int64_t>(kPcsShown) << " more\n";
    }
  }
  WriteApartText(fleet, out);
  out << "lint findings new in " << after << ": " << touch.diff.new_findings.size() << "\n";
  for (const Finding& finding : touch.diff.new_findings)
    out << "  " << FindingLine(finding) << "\n";
}

void WriteTouchJson(const FleetTouch& touch, const FleetFacts& fleet, const std::string& before,
                    const std::string& after, int exit_status, std::ostream& out) {
  nlohmann::ordered_json head;
  head["old"] = before;
  head["new"] = after;
  head["pcs"] = fleet.pcs().size() + fleet.apart().size();
  head["planned_pcs"] = fleet.pcs().size();
  head["skipped_files"] = fleet.skipped_files();
  head["facts"] = fleet.facts().size();
  head["touched_pcs"] = touch.touched_pcs;
  head["deployment_changes"] = touch.deployment_changes;
  std::string text = Pretty(head);
  text.erase(text.size() - 2);  // "\n}": the object goes on
  out << text << ",\n  \"changes\": [";
  for (size_t c = 0; c < touch.changes.size(); ++c) {
    const TouchingChange& change = touch.changes[c];
    nlohmann::ordered_json told;
    if (change.setting != nullptr) {
      told = {{"setting", change.setting->name},
              {"old", change.setting->before},
              {"new", change.setting->after}};
    } else {
      told = ChangeJson(change.group->change);
    }
    told["pcs"] = change.pcs;
    text = Pretty(told);
    text.erase(text.size() - 2);
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5) {
      text.insert(at + 1, "    ");
    }
    out << (c == 0 ? "\n    " : ",\n    ") << text << ",\n      \"touched\": [";
    const char* between = "\n        ";
    ForEachPc(change, fleet, [&](const FleetPc& pc) {
      const PcWords words = WordsOf(pc, touch, fleet);
      out << between
          << Compact({{"log", pc.file},
                      {"system_id", words.system_id},
                      {"os_type", words.system},
                      {"language", words.language}});
      between = ",\n        ";
    });
    out << (change.pcs > 0 ? "\n      ]\n    }" : "]\n    }");
  }
  out << (touch.changes.empty() ? "],\n" : "\n  ],\n");
  WriteApartJson(fleet, out);
  nlohmann::ordered_json findings = nlohmann::ordered_json::array();
  for (const Finding& finding : touch.diff.new_findings) findings.push_back(FindingJson(finding));
  text = Pretty(findings);
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 3) {
    text.insert(at + 1, "  ");
  }
  out << ",\n  \"new_findings\": " << text << ",\n  \"exit_status\": " << exit_status << "\n}\n";
}

void WriteTouchCsv(const FleetTouch& touch, const FleetFacts& fleet, std::ostream& out) {
  auto row = [&out](std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) line += CsvField(field) + ",";
    line.back() = '\r';
    out << line << "\n";
  };
  row({"change", "kind", "pass", "list", "application", "old", "new", "log file", "SystemID",
       "OSType", "language", "apart because"});
  for (size_t c = 0; c < touch.changes.size(); ++c) {
    const TouchingChange& change = touch.changes[c];
    const EntryChange* entry = change.group != nullptr ? &change.group->change : nullptr;
    const std::string kind = entry != nullptr ? ChangeKindName(entry->kind) : "setting";
    const std::string pass = entry != nullptr ? std::to_string(entry->pass) : "";
    const std::string list = entry != nullptr ? entry->list : "";
    const std::string name = entry != nullptr ? entry->application : change.setting->name;
    const std::string was = entry != nullptr ? entry->before : change.setting->before;
    const std::string now = entry != nullptr ? entry->after : change.setting->after;
    ForEachPc(change, fleet, [&](const FleetPc& pc) {
      const PcWords words = WordsOf(pc, touch, fleet);
      row({std::to_string(c + 1), kind, pass, list, name, was, now, pc.file, words.system_id,
           words.system, words.language, ""});
    });
  }
  for (const PcApart& pc : fleet.apart()) {
    row({"", "apart", "", "", "", "", "", pc.file, "", "", "", pc.reason});
  }
}

}  // namespace quill::plan
