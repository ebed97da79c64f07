#include "plan/matrix/machine_rows.h"

#include <map>
#include <utility>

#include "facts/os_type.h"
#include "plan/matrix/kept_plans.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

// A run of the core for one pass, and how the languages it stands for
// keep it.
struct PassRun {
  PassPlan plan;  // the code marked when the run stands for a class
  bool marked = false;
  // Every entry the marker reached is a template: a language then keeps
  // the run as any other of the class whose other entries are template or
  // not alike; `open` are those others that may be either.
  bool uniform = false;
  std::vector<size_t> open;
  std::vector<std::pair<std::vector<bool>, int>> kept;  // which open ones are, to the kept pass
  Assumptions assumed{static_cast<size_t>(-1)};
};

struct PassRuns {
  std::vector<PassRun> runs;
  std::vector<int> run_of;  // by language
};

PassPlan RunPass(int pass, const WindowsKind& system, const Prelude& prelude,
                 const WString& system_id, const WString& code, PlanPlatform& platform,
                 Assumptions* assumed) {
  RunContext context;
  PrepareContext(prelude, system_id, context);
  context.LanguageCode = code;
  if (pass == 1) {
    platform.set_windows(system);
    DetectOSType(context, platform);
  }
  return PlanPass(pass, context, platform, assumed);
}

void SortEntries(PassRun& run, const WString& marker) {
  run.uniform = true;
  for (size_t i = 0; i < run.plan.entries.size(); ++i) {
    const PlanEntry& entry = run.plan.entries[i];
    if (HoldsMarker(entry.command_line) || HoldsMarker(entry.handed)) {
      run.uniform = run.uniform && IsLanguageTemplate(entry, marker);
    } else if (entry.launched && entry.app_switches.find(kLanguagePlaceholder) != WString::npos) {
      run.open.push_back(i);
    }
  }
}

PassRuns RunsOf(int pass, const WindowsKind& system, const WString& system_id,
                const std::vector<Prelude>& preludes, const LanguageSharing& sharing,
                LanguageAnswers& answers, PlanPlatform& platform) {
  PassRuns result;
  result.run_of.assign(preludes.size(), -1);
  for (const std::vector<int>& languages : sharing.classes) {
    const size_t length = answers.code(languages.front()).size();
    const WString marker = LanguageMarker(length);
    for (std::vector<int> pending = languages; !pending.empty();) {
      LanguageClass members(pending, length, answers);
      platform.set_language_class(&members);
      PassRun run;
      run.marked = true;
      run.plan = RunPass(pass, system, preludes[pending.front()], system_id, marker, platform,
                         &run.assumed);
      platform.set_language_class(nullptr);
      SortEntries(run, marker);
      for (int member : members.members()) result.run_of[member] = result.runs.size();
      result.runs.push_back(std::move(run));
      pending = members.left();
    }
  }
  for (int language : sharing.alone) {
    PassRun run;
    const Prelude& prelude = preludes[language];
    run.plan = RunPass(pass, system, prelude, system_id, prelude.language.language_code, platform,
                       &run.assumed);
    result.run_of[language] = result.runs.size();
    result.runs.push_back(std::move(run));
  }
  return result;
}

// The run as the language's own would have made it.
PassPlan ForLanguage(const PassPlan& run, int language, LanguageAnswers& answers) {
  const WString& code = answers.code(language);
  PassPlan plan = run;
  for (PlanEntry& entry : plan.entries) {
    entry.command_line = PutCode(entry.command_line, code);
    entry.handed = PutCode(entry.handed, code);
    for (FileQuestionAsked& asked : entry.questions) {
      if (!HoldsMarker(asked.path)) continue;
      asked.answer = answers.For(asked.path, code.size())[language];
      asked.path = PutCode(asked.path, code);
    }
  }
  return plan;
}

void TellAssumptions(const Assumptions& assumed, const WString& code, Assumptions* assumptions) {
  if (assumptions == nullptr) return;
  if (!assumptions->full()) {
    for (const FileQuestionAsked& asked : assumed.kept()) {
      assumptions->Add({PutCode(asked.path, code), asked.answer});
    }
    assumptions->Count(assumed.answered() - assumed.kept().size());
  } else {
    assumptions->Count(assumed.answered());
  }
}

// The index of the language's pass among the machine's kept passes.
int Keep(PassRuns& runs, int language, LanguageAnswers& answers, std::vector<PassPlan>& plans,
         Assumptions* assumptions) {
  PassRun& run = runs.runs[runs.run_of[language]];
  const WString& code = answers.code(language);
  TellAssumptions(run.assumed, code, assumptions);
  if (!run.marked) return Remember(run.plan, code, plans);
  if (!run.uniform) return Remember(ForLanguage(run.plan, language, answers), code, plans);
  std::vector<bool> templates;
  for (size_t i : run.open) templates.push_back(IsLanguageTemplate(run.plan.entries[i], code));
  for (const auto& kept : run.kept) {
    if (kept.first == templates) return kept.second;
  }
  const int kept = Remember(ForLanguage(run.plan, language, answers), code, plans);
  run.kept.emplace_back(std::move(templates), kept);
  return kept;
}

}  // namespace

LanguageSharing ShareLanguages(const std::vector<Prelude>& preludes, const IniFile& ini) {
  LanguageSharing sharing;
  // A HashList hashes the very file a language's folder holds: no marker
  // stands for it, so each language is planned by a run of its own.
  const bool hashed = !preludes.empty() && !preludes[0].settings.hash_list_text.empty();
  const bool marker_free = MarkerFree(ini) && !hashed;
  std::map<size_t, size_t> class_of_length;
  for (size_t i = 0; i < preludes.size(); ++i) {
    const WString& code = preludes[i].language.language_code;
    if (!marker_free || !SharesRuns(code)) {
      sharing.alone.push_back(static_cast<int>(i));
      continue;
    }
    const auto found = class_of_length.emplace(code.size(), sharing.classes.size());
    if (found.second) sharing.classes.emplace_back();
    sharing.classes[found.first->second].push_back(static_cast<int>(i));
  }
  return sharing;
}

MachineMatrix MachineRows(const WString& system_id, const std::vector<Prelude>& preludes,
                          const std::vector<WindowsKind>& systems,
                          const LanguageSharing& sharing, LanguageAnswers& answers,
                          PlanPlatform& platform, Assumptions* assumptions) {
  MachineMatrix machine;
  machine.system_id = system_id;
  PassRuns pass0 = RunsOf(0, WindowsKind::kOther, system_id, preludes, sharing, answers, platform);
  // Pass 1 runs on the systems the program names.
  std::vector<PassRuns> pass1(systems.size());
  std::vector<bool> named(systems.size());
  for (size_t s = 0; s < systems.size(); ++s) {
    RunContext context;
    context.NewerWindows = !preludes.empty() && preludes.front().settings.newer_windows;
    platform.set_windows(systems[s]);
    named[s] = DetectOSType(context, platform) != 0;
    if (named[s]) {
      pass1[s] = RunsOf(1, systems[s], system_id, preludes, sharing, answers, platform);
    }
  }

  std::map<std::pair<int, int>, int> variants;
  for (size_t language = 0; language < preludes.size(); ++language) {
    const int l = static_cast<int>(language);
    const int pass0_index = Keep(pass0, l, answers, machine.pass0, assumptions);
    std::vector<int> row;
    for (size_t s = 0; s < systems.size(); ++s) {
      const int pass1_index =
          named[s] ? Keep(pass1[s], l, answers, machine.pass1, assumptions) : -1;
      const auto found = variants.emplace(std::make_pair(pass0_index, pass1_index),
                                          static_cast<int>(machine.variants.size()));
      if (found.second) {
        MatrixVariant variant;
        variant.pass0 = pass0_index;
        variant.pass1 = pass1_index;
        variant.exit_code = pass1_index >= 0 ? 1 : 0;
        variant.ending =
            pass1_index >= 0 ? PlanEnding::kBothPasses : PlanEnding::kUnrecognisedSystem;
        machine.variants.push_back(variant);
      }
      row.push_back(found.first->second);
    }
    machine.cells.push_back(row);
  }
  return machine;
}

}  // namespace quill::plan
