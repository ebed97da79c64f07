#ifndef QUILL_PLAN_REPORT_TEXT_BLOCK_H_
#define QUILL_PLAN_REPORT_TEXT_BLOCK_H_

// Bytes in one block whose room is kept when it is emptied. A large log is
// hundreds of millions of short pieces, read into runs and written out as
// rows: a string's append costs more than such a piece.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace quill::plan {

class TextBlock {
 public:
  TextBlock() = default;
  TextBlock(const TextBlock& other) { Append(other.view()); }
  TextBlock(TextBlock&& other) noexcept { *this = std::move(other); }
  TextBlock& operator=(const TextBlock& other) {
    if (this != &other) {
      clear();
      Append(other.view());
    }
    return *this;
  }
  TextBlock& operator=(TextBlock&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    room_ = std::exchange(other.room_, 0);
    return *this;
  }

  void Append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (bytes.size() > room_ - size_) Grow(bytes.size());
    std::memcpy(data_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  void Fill(char byte, size_t count) {
    if (count > room_ - size_) Grow(count);
    std::memset(data_.get() + size_, byte, count);
    size_ += count;
  }
  void clear() { size_ = 0; }

  std::string_view view() const { return {data_.get(), size_}; }
  size_t size() const { return size_; }

 private:
  // Room for `more` bytes past the last, at least twice what it had.
  void Grow(size_t more) {
    const size_t room = std::max(size_ + more, 2 * room_);
    std::unique_ptr<char[]> data(new char[room]);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    room_ = room;
  }

  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  size_t room_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_TEXT_BLOCK_H_
