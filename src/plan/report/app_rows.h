#ifndef QUILL_PLAN_REPORT_APP_ROWS_H_
#define QUILL_PLAN_REPORT_APP_ROWS_H_

// The applications of one run. A run of a few thousand is held in memory,
// its rows' room kept from run to run; past that, the rows go to a scratch
// file as they end, so a run of a million applications costs the memory of
// a few thousand.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "plan/report/app_row.h"
#include "plan/report/kept_rows.h"
#include "plan/report/spilled_records.h"

namespace quill::plan {

class AppRows {
 public:
  static constexpr size_t kHeld = 4096;

  // Reads the rows in order, those on disk one at a time.
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = AppRow;
    using difference_type = std::ptrdiff_t;
    using pointer = const AppRow*;
    using reference = const AppRow&;

    const_iterator(const AppRows* rows, size_t index);
    reference operator*() const;
    pointer operator->() const { return &**this; }
    const_iterator& operator++();
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

   private:
    struct DiskCursor {
      explicit DiskCursor(const SpilledRecords& records) : reader(records) {}
      SpilledRecords::Reader reader;
      AppRow row;
    };
    void Load();

    const AppRows* rows_;
    size_t index_;
    std::shared_ptr<DiskCursor> cursor_;  // shared by the copies an algorithm makes
  };

  AppRows() = default;
  AppRows(const AppRows& other) { *this = other; }
  AppRows& operator=(const AppRows& other);
  AppRows(AppRows&&) noexcept = default;
  AppRows& operator=(AppRows&&) noexcept = default;

  // A row past the last, to be filled; the one before it is final from here.
  AppRow& Add();
  void push_back(const AppRow& row) { Add() = row; }
  void clear();

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  AppRow& back() {
    if (spilling()) return last_;
    return held_.back();
  }
  const AppRow& back() const {
    if (spilling()) return last_;
    return held_.back();
  }
  // A row on disk is read for it: valid until the next call.
  const AppRow& operator[](size_t index) const;
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }

 private:
  bool spilling() const { return size_ > held_.size(); }
  size_t on_disk() const { return spilling() ? size_ - held_.size() - 1 : 0; }

  KeptRows<AppRow> held_;
  AppRow last_;  // while spilling: the last row, still being filled
  size_t size_ = 0;
  SpilledRecords spilled_;    // the rows between
  std::string row_bytes_;     // of the row being spilled
  mutable AppRow looked_up_;  // of operator[]
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_APP_ROWS_H_
