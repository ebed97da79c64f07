#ifndef QUILL_PLAN_REPORT_LOG_TEXT_H_
#define QUILL_PLAN_REPORT_LOG_TEXT_H_

// Text as a run log holds it: a character a byte, for the program writes
// none past 0xFF. Runs carry their names and stamps so, copied from the
// log as they lie there; they become UTF-8 or UTF-16 only where they are
// shown or planned, which in a large log is a few of its runs.
#include <cstddef>
#include <string>
#include <string_view>

#include "plan/report/text_block.h"
#include "platform/wide_string.h"

namespace quill::plan {

class LogText {
 public:
  LogText() = default;
  explicit LogText(std::string_view bytes) { Assign(bytes); }
  // One byte a character; a character past a byte, which no log holds, becomes "?".
  static LogText FromWide(const WString& text);

  // In place of what it held, in the room it has: filled again run after
  // run, a text allocates only when it outgrows every value it held before.
  void Assign(std::string_view bytes) {
    bytes_.clear();
    bytes_.Append(bytes);
  }
  void Append(std::string_view bytes) { bytes_.Append(bytes); }
  void clear() { bytes_.clear(); }

  std::string_view bytes() const { return bytes_.view(); }
  bool empty() const { return bytes_.size() == 0; }
  size_t size() const { return bytes_.size(); }
  std::string Utf8() const;
  WString Wide() const;

  bool operator==(const LogText& other) const { return bytes() == other.bytes(); }
  bool operator!=(const LogText& other) const { return bytes() != other.bytes(); }

 private:
  TextBlock bytes_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_TEXT_H_
