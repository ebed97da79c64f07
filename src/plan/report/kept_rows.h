#ifndef QUILL_PLAN_REPORT_KEPT_ROWS_H_
#define QUILL_PLAN_REPORT_KEPT_ROWS_H_

// Rows that keep their room when cleared: a row of a run read earlier is
// filled again, its strings' memory kept, so reading a long log allocates
// nothing once its first runs have made room. Only the rows in use are
// seen, copied or compared.
#include <cstddef>
#include <vector>

namespace quill::plan {

template <typename Row>
class KeptRows {
 public:
  using iterator = typename std::vector<Row>::iterator;
  using const_iterator = typename std::vector<Row>::const_iterator;

  KeptRows() = default;
  KeptRows(const KeptRows& other) : rows_(other.begin(), other.end()), size_(other.size_) {}
  KeptRows(KeptRows&&) noexcept = default;
  KeptRows& operator=(const KeptRows& other) {
    clear();
    for (const Row& row : other) push_back(row);
    return *this;
  }
  KeptRows& operator=(KeptRows&&) noexcept = default;

  // A row past the last, as a row before held it: the caller fills it.
  Row& Add() {
    if (size_ == rows_.size()) rows_.emplace_back();
    return rows_[size_++];
  }
  void push_back(const Row& row) { Add() = row; }
  void clear() { size_ = 0; }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Row& back() { return rows_[size_ - 1]; }
  const Row& back() const { return rows_[size_ - 1]; }
  Row& operator[](size_t index) { return rows_[index]; }
  const Row& operator[](size_t index) const { return rows_[index]; }
  iterator begin() { return rows_.begin(); }
  iterator end() { return rows_.begin() + static_cast<std::ptrdiff_t>(size_); }
  const_iterator begin() const { return rows_.begin(); }
  const_iterator end() const { return rows_.begin() + static_cast<std::ptrdiff_t>(size_); }

 private:
  std::vector<Row> rows_;
  size_t size_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_KEPT_ROWS_H_
