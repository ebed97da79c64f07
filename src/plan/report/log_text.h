#ifndef QUILL_PLAN_REPORT_LOG_TEXT_H_
#define QUILL_PLAN_REPORT_LOG_TEXT_H_

// Text as a run log holds it: a character a byte, for the program writes
// none past 0xFF. Runs carry their names and stamps so, copied from the
// log as they lie there; they become UTF-8 or UTF-16 only where they are
// shown or planned, which in a large log is a few of its runs.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/wide_string.h"

namespace quill::plan {

class LogText {
 public:
  LogText() = default;
  explicit LogText(std::string_view bytes) { Assign(bytes); }
  LogText(const LogText& other) { Assign(other.bytes()); }
  LogText(LogText&& other) noexcept { *this = std::move(other); }
  LogText& operator=(const LogText& other) {
    if (this != &other) Assign(other.bytes());
    return *this;
  }
  LogText& operator=(LogText&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    room_ = std::exchange(other.room_, 0);
    return *this;
  }
  // One byte a character; a character past a byte, which no log holds, becomes "?".
  static LogText FromWide(const WString& text);

  // In place of what it held, in the room it has: filled again run after
  // run, a text allocates only when it outgrows every value it held before.
  void Assign(std::string_view bytes) {
    size_ = 0;
    Append(bytes);
  }
  void Append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (size_ + bytes.size() > room_) Grow(size_ + bytes.size());
    std::memcpy(data_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  void clear() { size_ = 0; }

  std::string_view bytes() const { return {data_.get(), size_}; }
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  std::string Utf8() const;
  WString Wide() const;

  bool operator==(const LogText& other) const { return bytes() == other.bytes(); }
  bool operator!=(const LogText& other) const { return bytes() != other.bytes(); }

 private:
  void Grow(size_t size);

  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  size_t room_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_TEXT_H_
