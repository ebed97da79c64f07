#ifndef QUILL_PLAN_REPORT_LOG_TEXT_H_
#define QUILL_PLAN_REPORT_LOG_TEXT_H_

// Text as a run log holds it: a character a byte, for the program writes
// none past 0xFF. Runs carry their names and stamps so, copied from the
// log as they lie there; they become UTF-8 or UTF-16 only where they are
// shown or planned, which in a large log is a few of its runs.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/wide_string.h"

namespace quill::plan {

class LogText {
 public:
  LogText() = default;
  explicit LogText(std::string_view bytes) : bytes_(bytes) {}
  // One byte a character; a character past a byte, which no log holds, becomes "?".
  static LogText FromWide(const WString& text);

  // In place of what it held, in the room it has.
  void Assign(std::string_view bytes) { bytes_.assign(bytes.data(), bytes.size()); }
  void Append(std::string_view bytes) { bytes_.append(bytes.data(), bytes.size()); }
  void clear() { bytes_.clear(); }

  const std::string& bytes() const { return bytes_; }
  bool empty() const { return bytes_.empty(); }
  size_t size() const { return bytes_.size(); }
  std::string Utf8() const;
  WString Wide() const;

  bool operator==(const LogText& other) const { return bytes_ == other.bytes_; }
  bool operator!=(const LogText& other) const { return bytes_ != other.bytes_; }
  bool operator<(const LogText& other) const { return bytes_ < other.bytes_; }

 private:
  std::string bytes_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_TEXT_H_
