#ifndef QUILL_PLAN_REPORT_NOT_VERIFIED_COUNTS_H_
#define QUILL_PLAN_REPORT_NOT_VERIFIED_COUNTS_H_

// Applications a HashList kept from starting, counted by cause: logs of
// runs without the key have none, and their reports read as before.
#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/report/run_report.h"

namespace quill::plan {

class NotVerifiedCounts {
 public:
  void Take(const AppRow& app) {
    if (app.not_verified == nullptr) return;
    ++by_cause_[app.not_verified];
    ++total_;
  }
  void Add(const NotVerifiedCounts& other) {
    for (const auto& [cause, count] : other.by_cause_) by_cause_[cause] += count;
    total_ += other.total_;
  }
  bool empty() const { return total_ == 0; }
  int64_t total() const { return total_; }
  // "not verified: 3 (2 hash differs, 1 not in the list)"
  std::string Text() const {
    std::string causes;
    for (const auto& [cause, count] : by_cause_) {
      causes += (causes.empty() ? "" : ", ") + std::to_string(count) + " " + cause;
    }
    return "not verified: " + std::to_string(total_) + " (" + causes + ")";
  }
  nlohmann::ordered_json Json() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const auto& [cause, count] : by_cause_) json[cause] = count;
    return json;
  }

 private:
  std::map<std::string, int64_t> by_cause_;  // few causes: sorted by name
  int64_t total_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_NOT_VERIFIED_COUNTS_H_
