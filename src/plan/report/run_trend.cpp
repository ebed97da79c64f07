#include "plan/report/run_trend.h"

namespace quill::plan {

int64_t WeekOf(int64_t day) {
  const int64_t since_monday = ((day + 3) % 7 + 7) % 7;
  return day - since_monday;
}

void RunTrend::TakeRun(const std::string& file, const RunRow& run, bool failed) {
  if (!run.start.seconds) {
    ++runs_without_time_;
    return;
  }
  const int64_t seconds = *run.start.seconds;
  if (!first_ || seconds < *first_) first_ = seconds;
  if (!last_ || seconds > *last_) last_ = seconds;
  const int64_t day = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  if (days_[day].first_log.empty()) days_[day].first_log = file;
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

std::pair<int64_t, int64_t> RunTrend::Covered() const {
  std::pair<int64_t, int64_t> best{0, -1}, stretch{0, -1};
  int64_t best_runs = -1, runs = 0;
  for (const auto& [day, counts] : days_) {
    if (stretch.second < stretch.first || day - stretch.second > kMostDays) {
      stretch = {day, day};
      runs = 0;
    }
    stretch.second = day;
    runs += counts.runs;
    if (runs >= best_runs) {
      best_runs = runs;
      best = stretch;
    }
  }
  return best;
}

bool RunTrend::weekly() const {
  const auto [from, to] = Covered();
  return !days_.empty() && to - from >= kMostDays;
}

std::vector<TrendPoint> RunTrend::Points() const {
  std::vector<TrendPoint> points;
  if (days_.empty()) return points;
  const auto [from, to] = Covered();
  const bool by_week = weekly();
  const auto& counted = by_week ? weeks_ : days_;
  const int64_t step = by_week ? 7 : 1;
  for (int64_t at = by_week ? WeekOf(from) : from; at <= to; at += step) {
    const auto found = counted.find(at);
    const Counts counts = found == counted.end() ? Counts{} : found->second;
    points.push_back({at, counts.runs, counts.failed_runs, counts.pcs});
  }
  return points;
}

RunTrend::Outside RunTrend::RunsOutside() const {
  Outside outside;
  const auto [from, to] = Covered();
  for (const auto& [day, counts] : days_) {
    if (day >= from && day <= to) continue;
    outside.runs += counts.runs;
    outside.days.emplace_back(day, counts.first_log);
  }
  return outside;
}

}  // namespace quill::plan
