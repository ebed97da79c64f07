#include "plan/tally/outcome_groups.h"

#include <algorithm>

#include "base/utf.h"

namespace quill::plan {

double Share(int64_t part, int64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

void OutcomeGroups::TakeRun(const RunRow& run, bool failed) {
  // An LCID the language table does not name is a group of its own.
  const std::string code = ToUtf8(run.language_code);
  const std::string lcid = ToUtf8(run.lcid);
  const std::string language = code.empty() ? "\t" + lcid : code;
  for (GroupTotals* group : {&by_os[ToUtf8(run.os_type)], &by_language[language]}) {
    ++group->runs;
    group->failed_runs += failed;
    for (const AppRow& app : run.applications) {
      ++group->application_runs;
      ++group->outcomes[static_cast<size_t>(app.outcome)];
    }
  }
  by_os[ToUtf8(run.os_type)].name = ToUtf8(run.os_type);
  GroupTotals& by_code = by_language[language];
  by_code.name = code;
  if (by_code.lcid.empty()) by_code.lcid = lcid;
}

std::vector<const GroupTotals*> OutcomeGroups::WorstFirst(const std::map<std::string, GroupTotals>& groups) {
  std::vector<const GroupTotals*> sorted;
  for (const auto& entry : groups) sorted.push_back(&entry.second);
  std::stable_sort(sorted.begin(), sorted.end(), [](const GroupTotals* a, const GroupTotals* b) {
    return Share(a->failed_runs, a->runs) > Share(b->failed_runs, b->runs);
  });
  return sorted;
}

}  // namespace quill::plan
