#ifndef QUILL_PLAN_PLANNING_PLAN_TEXT_H_
#define QUILL_PLAN_PLANNING_PLAN_TEXT_H_

// A plan as text for people, and as JSON for scripts.
#include <ostream>

#include <nlohmann/json.hpp>

#include "plan/planning/plan_model.h"

namespace quill::plan {

void WritePlanText(const Plan& plan, std::ostream& out);
// The launches and skips of one pass, one line each (two when the platform
// is handed another command line than the log shows).
void WriteEntriesText(const std::vector<PlanEntry>& entries, const char* indent, std::ostream& out);

nlohmann::ordered_json PlanJson(const Plan& plan);
nlohmann::ordered_json EntryJson(const PlanEntry& entry);
nlohmann::ordered_json QuestionJson(const FileQuestionAsked& question);
nlohmann::ordered_json QuestionsJson(const std::vector<FileQuestionAsked>& questions);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PLAN_TEXT_H_
