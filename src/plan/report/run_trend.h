#ifndef QUILL_PLAN_REPORT_RUN_TREND_H_
#define QUILL_PLAN_REPORT_RUN_TREND_H_

// Runs, failed runs and PCs reporting per day, by the time in each run's
// banner; per week (from Monday) when the runs span more than kMostDays.
// A PC counts once in a day or week however often it ran. The trend covers
// where the runs are: of the stretches of days that no gap of kMostDays
// parts, the one with the most runs. A run outside it (a PC whose clock
// says 1980) is counted and named, not drawn.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "plan/report/run_report.h"

namespace quill::plan {

struct TrendPoint {
  int64_t first_day = 0;  // days since 1970-01-01: the day, or the Monday of the week
  int64_t runs = 0;
  int64_t failed_runs = 0;
  int64_t pcs = 0;
};

class RunTrend {
 public:
  static constexpr int64_t kMostDays = 91;

  // The runs of one log in order, then EndLog.
  void TakeRun(const std::string& file, const RunRow& run, bool failed);
  void EndLog();

  std::optional<int64_t> first() const { return first_; }  // seconds of the earliest run
  std::optional<int64_t> last() const { return last_; }
  int64_t runs_without_time() const { return runs_without_time_; }
  bool weekly() const;
  // Every day or week the trend covers, empty ones too.
  std::vector<TrendPoint> Points() const;
  // The runs outside it, and the first log of each such day, earliest first.
  struct Outside {
    int64_t runs = 0;
    std::vector<std::pair<int64_t, std::string>> days;  // day, log
  };
  Outside RunsOutside() const;

 private:
  struct Counts {
    int64_t runs = 0;
    int64_t failed_runs = 0;
    int64_t pcs = 0;
    int64_t last_log = -1;  // the last log with a run in it: a PC counts once
    std::string first_log;  // of a day: named when the day is outside the trend
  };
  // The first and last day of the trend.
  std::pair<int64_t, int64_t> Covered() const;

  std::map<int64_t, Counts> days_;
  std::map<int64_t, Counts> weeks_;
  int64_t log_ = 0;  // the log being read, counted from 0
  std::optional<int64_t> first_;
  std::optional<int64_t> last_;
  int64_t runs_without_time_ = 0;
};

// The Monday of the week of `day` (days since 1970-01-01, a Thursday).
int64_t WeekOf(int64_t day);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_RUN_TREND_H_
