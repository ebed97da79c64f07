#ifndef QUILL_PLAN_PLANNING_PLANNER_H_
#define QUILL_PLAN_PLANNING_PLANNER_H_

// A run made on the plan's machine, step by step in the run's order, with
// the core doing every step: the settings, the language lookup, both
// install passes. The parts that do not depend on the machine are made once
// and reused, so that a matrix of machines costs little more than its passes.
#include <cstdint>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "plan/planning/plan_model.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

struct LanguageChoice {
  bool by_lcid = true;
  uint32_t lcid = 0x409;
  WString code;  // when not by LCID
};

struct PlanRequest {
  WString machine_id;  // as the identity library gives it, without "0x"
  WindowsKind windows = WindowsKind::kOther;
  LanguageChoice language;
  std::string language_table;  // a local file that answers for LANG.INI; empty: none
};

// The operating-system word a kind of Windows makes the program name.
WString WindowsWord(const WindowsKind& windows);
// The kind for a word (WINXP, VISTA32, VISTA64 or a newer one), compared
// without regard to case; kOther otherwise.
WindowsKind WindowsKindFor(const WString& word);

// The settings and the language: the same on every machine.
struct Prelude {
  WString ini_path;
  RunSettings run;        // as the run reads them
  PlanSettings settings;  // as the plan shows them
  PlanLanguage language;
  PlanEnding ending = PlanEnding::kBothPasses;  // or the error that ends the run
  WString error_record;
};

Prelude PlanPrelude(const LanguageChoice& language, const std::string& language_table,
                    PlanPlatform& platform, Assumptions* assumptions);

// A run's context after the prelude, on the machine with that SystemID.
void PrepareContext(const Prelude& prelude, const WString& system_id, RunContext& context);

// One install pass on a prepared context.
PassPlan PlanPass(int pass, RunContext& context, PlanPlatform& platform,
                  Assumptions* assumptions);

// The whole run.
Plan PlanRun(const PlanRequest& request, PlanPlatform& platform);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PLANNER_H_
