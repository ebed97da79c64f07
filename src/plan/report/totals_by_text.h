#ifndef QUILL_PLAN_REPORT_TOTALS_BY_TEXT_H_
#define QUILL_PLAN_REPORT_TOTALS_BY_TEXT_H_

// The totals of each name as the log writes it, so that a name met again,
// as most are, is neither made UTF-8 nor copied to be looked up.
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quill::plan {

// A copy starts empty: what it points to is the original's.
template <typename Totals>
class TotalsByText {
 public:
  TotalsByText() = default;
  TotalsByText(const TotalsByText&) {}
  TotalsByText& operator=(const TotalsByText&) {
    found_.clear();
    texts_.clear();
    return *this;
  }
  // The totals of `text`, found by `find()` the first time.
  template <typename Find>
  Totals& Of(std::string_view text, Find&& find) {
    const auto found = found_.find(text);
    if (found != found_.end()) return *found->second;
    Totals& totals = find();
    found_.emplace(texts_.emplace_back(text), &totals);
    return totals;
  }

 private:
  std::deque<std::string> texts_;  // what the keys view: a deque does not move them
  std::unordered_map<std::string_view, Totals*> found_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_TOTALS_BY_TEXT_H_
