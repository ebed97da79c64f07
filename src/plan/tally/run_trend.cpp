#include "plan/tally/run_trend.h"

namespace quill::plan {

int64_t WeekOf(int64_t day) {
  const int64_t since_monday = ((day + 3) % 7 + 7) % 7;
  return day - since_monday;
}

void RunTrend::TakeRun(const RunRow& run, bool failed) {
  if (!run.start.seconds) {
    ++runs_without_time_;
    return;
  }
  const int64_t seconds = *run.start.seconds;
  if (!first_ || seconds < *first_) first_ = seconds;
  if (!last_ || seconds > *last_) last_ = seconds;
  const int64_t day = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  for (Counts* at : {&days_[day], &weeks_[WeekOf(day)]}) {
    ++at->runs;
    at->failed_runs += failed;
    if (at->last_log != log_) {
      at->last_log = log_;
      ++at->pcs;
    }
  }
}

void RunTrend::EndLog() { ++log_; }

bool RunTrend::weekly() const {
  return !days_.empty() && days_.rbegin()->first - days_.begin()->first >= kMostDays;
}

std::vector<TrendPoint> RunTrend::Points() const {
  std::vector<TrendPoint> points;
  if (days_.empty()) return points;
  const bool by_week = weekly();
  const auto& counted = by_week ? weeks_ : days_;
  const int64_t step = by_week ? 7 : 1;
  for (int64_t at = counted.begin()->first; at <= counted.rbegin()->first; at += step) {
    const auto found = counted.find(at);
    const Counts counts = found == counted.end() ? Counts{} : found->second;
    points.push_back({at, counts.runs, counts.failed_runs, counts.pcs});
  }
  return points;
}

}  // namespace quill::plan
