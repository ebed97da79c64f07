#include "plan/report/outcome_groups.h"

#include <algorithm>
#include <cstdio>

#include "base/utf.h"

namespace quill::plan {

double Share(int64_t part, int64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

std::string PercentShown(int64_t part, int64_t whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * Share(part, whole));
  return text;
}

void OutcomeGroups::TakeRun(const RunRow& run, bool failed) {
  GroupTotals& os = os_by_text_.Of(run.os_type.bytes(), [this, &run]() -> GroupTotals& {
    std::string name = run.os_type.Utf8();
    GroupTotals& found = by_os[name];
    found.name = std::move(name);
    return found;
  });
  // An LCID the language table does not name is a group of its own.
  language_.assign(run.language_code.empty() ? "\t" : "");
  language_.append(run.language_code.empty() ? run.lcid.bytes() : run.language_code.bytes());
  GroupTotals& by_code = language_by_text_.Of(language_, [this, &run]() -> GroupTotals& {
    std::string code = run.language_code.Utf8();
    GroupTotals& found = by_language[code.empty() ? "\t" + run.lcid.Utf8() : code];
    if (found.runs == 0) {
      found.name = std::move(code);
      found.lcid = run.lcid.Utf8();
    }
    return found;
  });
  for (GroupTotals* group : {&os, &by_code}) {
    ++group->runs;
    group->failed_runs += failed;
    for (const AppRow& app : run.applications) {
      ++group->application_runs;
      if (FailedByExitCode(app)) {
        ++group->failed_by_exit_code;
      } else {
        ++group->outcomes[static_cast<size_t>(app.outcome)];
      }
    }
  }
}

std::vector<const GroupTotals*> OutcomeGroups::WorstFirst(
    const std::map<std::string, GroupTotals>& groups) {
  std::vector<const GroupTotals*> sorted;
  for (const auto& entry : groups) sorted.push_back(&entry.second);
  std::stable_sort(sorted.begin(), sorted.end(), [](const GroupTotals* a, const GroupTotals* b) {
    return Share(a->failed_runs, a->runs) > Share(b->failed_runs, b->runs);
  });
  return sorted;
}

}  // namespace quill::plan
