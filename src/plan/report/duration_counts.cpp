#include "plan/report/duration_counts.h"

namespace quill::plan {

int64_t DurationCounts::Percentile(int percent) const {
  const int64_t rank = (total_ * percent + 99) / 100;  // ceiling, at least 1 of a non-empty set
  int64_t seen = 0;
  for (const auto& [seconds, times] : counts_) {
    seen += times;
    if (seen >= rank && seen > 0) return seconds;
  }
  return 0;
}

int DurationBucket(int64_t seconds) {
  int bucket = 0;
  while (seconds > 0 && bucket < kDurationBuckets - 1) {
    seconds >>= 1;
    ++bucket;
  }
  return bucket;
}

}  // namespace quill::plan
