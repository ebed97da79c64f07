#ifndef QUILL_PLAN_REPORT_LOG_RECORDS_H_
#define QUILL_PLAN_REPORT_LOG_RECORDS_H_

// A run log read back into its records. The patterns come from the record
// texts the program writes with, so the two cannot drift apart. A record
// opens only at the start of a line: a value the program echoes (a setting
// from the INI file, a command line) never reads as a record of its own. A
// new record kind of the program is read at once; the run builder gives it
// its meaning.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_record.h"
#include "platform/wide_string.h"

namespace quill::plan {

struct ReadRecord {
  LogRecord record;
  std::vector<WString> values;  // its "%s" and "%d" values, in order
  bool cut_short = false;       // ended before its text did
  int64_t line = 0;             // 1-based line of the log
};

// A record as it lies in its line: the values are the line's own bytes,
// valid while the line is. A log of a million runs is read without making
// a string of any record.
struct RecordSpan {
  static constexpr size_t kMostValues = 3;
  LogRecord record = LogRecord::kBannerFirstLine;
  std::string_view values[kMostValues];  // its "%s" and "%d" values, in order
  size_t value_count = 0;
  bool cut_short = false;
  int64_t line = 0;
  std::string_view value(size_t index) const {
    return index < value_count ? values[index] : std::string_view();
  }
};

struct ReadLog {
  std::vector<ReadRecord> records;
  std::vector<int64_t> unknown_lines;  // lines that hold no record, or text before one
};

// Up to `most` line ends (CR or LF) in [from, to), in order, into `ends`;
// how many were found. Fewer than `most`: there are no more.
size_t FindLineEnds(const char* from, const char* to, const char** ends, size_t most);

// A log's bytes cut into lines as they arrive, one character per byte. LF,
// CR LF and a lone CR each end a line: a log copied through an old Mac
// tool, or torn by a crash, still reads. A line longer than any record
// keeps its first kLongestLine bytes and its last kLongestTail, with a NUL
// between: one line never holds the memory, and a banner after garbage of
// any length still opens its run.
class LogLines {
 public:
  static constexpr size_t kLongestLine = 64u << 10;
  static constexpr size_t kLongestTail = 64u << 10;
  // Hands each line ended in `bytes` to `take(line, number)`. A line that
  // lies whole in `bytes` is handed as it lies there, uncopied. The line
  // ends are looked for many at a time: most lines are shorter than the
  // sixteen bytes looked at in one step.
  template <typename Take>
  void Feed(const char* bytes, size_t size, Take&& take) {
    const char* at = bytes;
    const char* const to = bytes + size;
    if (after_cr_ && size > 0 && bytes[0] == '\n') ++at;  // the LF of a CR LF cut by a read
    after_cr_ = false;
    const char* ends[kEndsAtOnce];
    for (;;) {
      const size_t found = FindLineEnds(at, to, ends, kEndsAtOnce);
      for (size_t i = 0; i < found; ++i) {
        const char* const end = ends[i];
        if (end < at) continue;  // the LF of a CR LF
        const size_t length = static_cast<size_t>(end - at);
        if (line_.empty() && length <= kLongestLine) {
          take(std::string_view(at, length), ++number_);
        } else {
          Keep(at, length);
          take(Kept(), ++number_);
          line_.clear();
        }
        at = end + 1;
        if (*end == '\r') {
          if (at == to) after_cr_ = true;
          else if (*at == '\n') ++at;
        }
      }
      if (found < kEndsAtOnce) break;
    }
    Keep(at, static_cast<size_t>(to - at));
  }
  // The last line, when the log does not end with a line end: a line torn
  // by a crash. Gives whether there was one.
  template <typename Take>
  bool End(Take&& take) {
    if (line_.empty()) return false;
    take(Kept(), ++number_);
    line_.clear();
    return true;
  }

 private:
  static constexpr size_t kEndsAtOnce = 128;
  // What fits of a line's bytes after those kept of it; past the head,
  // the last kLongestTail bytes.
  void Keep(const char* bytes, size_t size) {
    const size_t head = std::min(size, kLongestLine - std::min(kLongestLine, line_.size()));
    line_.append(bytes, head);
    bytes += head;
    size -= head;
    if (size >= kLongestTail) {
      tail_.assign(bytes + size - kLongestTail, kLongestTail);
    } else if (size > 0) {
      tail_.append(bytes, size);
      if (tail_.size() > 2 * kLongestTail) tail_.erase(0, tail_.size() - kLongestTail);
    }
  }
  std::string_view Kept() {
    if (!tail_.empty()) {
      line_ += '\0';
      line_.append(tail_, tail_.size() - std::min(tail_.size(), kLongestTail), std::string::npos);
      tail_.clear();
    }
    return line_;
  }

  std::string line_;
  std::string tail_;
  int64_t number_ = 0;
  bool after_cr_ = false;
};

// The records of one line, in `records` (emptied first): the one that
// opens it, after any NUL bytes a crash left; a record that does not close
// as its text does is marked cut short. A line that ends with the banner's
// first line after other text was torn, and the next run went on from it:
// two records. A line that opens with no record, or with NUL bytes,
// gives true.
bool FindRecords(std::string_view line, int64_t number, std::vector<RecordSpan>* records);
// The same with the values made text.
bool ReadLogLine(std::string_view line, int64_t number, std::vector<ReadRecord>* records);

// A whole log's bytes at once.
ReadLog ReadLogRecords(const std::string& bytes);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_RECORDS_H_
