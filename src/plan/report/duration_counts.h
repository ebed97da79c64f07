#ifndef QUILL_PLAN_REPORT_DURATION_COUNTS_H_
#define QUILL_PLAN_REPORT_DURATION_COUNTS_H_

// How often each duration occurred. Log stamps are whole seconds, so a
// million runs of one application hold a few hundred distinct values:
// exact percentiles at the memory of a histogram.
#include <array>
#include <cstdint>
#include <map>

namespace quill::plan {

class DurationCounts {
 public:
  void Add(int64_t seconds) {
    ++counts_[seconds];
    ++total_;
  }
  int64_t count() const { return total_; }
  // Nearest rank: the smallest duration that `percent` of the runs do not
  // exceed. 0 when nothing was counted.
  int64_t Percentile(int percent) const;
  int64_t Max() const { return counts_.empty() ? 0 : counts_.rbegin()->first; }
  const std::map<int64_t, int64_t>& counts() const { return counts_; }

 private:
  std::map<int64_t, int64_t> counts_;
  int64_t total_ = 0;
};

// Durations grouped by powers of two: 0, 1, 2-3, 4-7, ... 512 and more.
constexpr int kDurationBuckets = 11;
int DurationBucket(int64_t seconds);
using BucketCounts = std::array<int64_t, kDurationBuckets>;

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_DURATION_COUNTS_H_
