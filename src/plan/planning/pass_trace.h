#ifndef QUILL_PLAN_PLANNING_PASS_TRACE_H_
#define QUILL_PLAN_PLANNING_PASS_TRACE_H_

// Reads one install pass back from the journal of what the core asked while
// it walked the lists: each APP key with a value opens an entry, the file
// questions and the launch that follow belong to it.
#include <vector>

#include "base/run_context.h"
#include "plan/planning/journal.h"
#include "plan/planning/plan_model.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

// `platform` answers the few questions the journal leaves open (why an
// application was skipped); it records nothing while it does.
std::vector<PlanEntry> TracePass(int pass, const Journal& journal, const RunContext& context,
                                 PlanPlatform& platform);

// The trimmed value the core makes of what the reader gave.
WString ProfileValueOf(WString raw, SystemInfo& system);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PASS_TRACE_H_
