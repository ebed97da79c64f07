#include "plan/report/run_filter.h"

#include <cstdio>

#include "base/utf.h"
#include "plan/text/civil_time.h"

namespace quill::plan {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<int64_t> IsoDateDays(const std::string& text) {
  // Digits where digits stand: no sign, no blank, nothing after.
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int parts[3] = {};
  const size_t from[] = {0, 5, 8};
  const size_t count[] = {4, 2, 2};
  for (int part = 0; part < 3; ++part) {
    for (size_t i = from[part]; i < from[part] + count[part]; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      parts[part] = parts[part] * 10 + (text[i] - '0');
    }
  }
  if (!IsRealDate(parts[0], parts[1], parts[2])) return std::nullopt;
  return DaysFromCivil(parts[0], parts[1], parts[2]);
}

std::string IsoDate(int64_t days) {
  const LocalTime time = CivilFromSeconds(days * 86400);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
  return text;
}

const RunRow* RunFilter::Pass(const RunRow& run, RunRow* narrowed) const {
  if (since || until) {
    if (!run.start.seconds) return nullptr;
    if (since && *run.start.seconds < *since) return nullptr;
    if (until && *run.start.seconds >= *until) return nullptr;
  }
  // A model as the log shows it, or without its "0x".
  if (!model.empty() && !SameIgnoringCase(model, run.system_id.Utf8()) &&
      !SameIgnoringCase("0x" + model, run.system_id.Utf8())) {
    return nullptr;
  }
  if (!os.empty()) {
    const std::string os_type = run.os_type.Utf8();
    if (!SameIgnoringCase(os, os_type.empty() ? "(none)" : os_type)) return nullptr;
  }
  if (app.empty()) return &run;
  narrowed->applications.clear();
  for (const AppRow& row : run.applications) {
    if (SameIgnoringCase(app, row.app_section.Utf8())) narrowed->applications.push_back(row);
  }
  if (narrowed->applications.empty()) return nullptr;
  static_cast<RunFacts&>(*narrowed) = run;
  // The run counts as this application went: cut short only when it was.
  if (narrowed->outcome == RunOutcome::kCutShort &&
      narrowed->applications.back().outcome != AppOutcome::kNoResult) {
    narrowed->outcome = RunOutcome::kApplicationsRun;
  }
  return narrowed;
}

std::string RunFilter::Described() const {
  std::string text;
  const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  if (since) add("since " + IsoDate(*since / 86400));
  if (until) add("until " + IsoDate(*until / 86400 - 1));
  if (!app.empty()) add("application " + app);
  if (!model.empty()) add("model " + model);
  if (!os.empty()) add("OSType " + os);
  return text;
}

}  // namespace quill::plan
