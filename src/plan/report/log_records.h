#ifndef QUILL_PLAN_REPORT_LOG_RECORDS_H_
#define QUILL_PLAN_REPORT_LOG_RECORDS_H_

// A run log read back into its records. The patterns come from the record
// texts the program writes with, so the two cannot drift apart. A record cut
// short (an older program stopped a record at a character the log could not
// hold, and the next record went on in the same line) is found by the start
// of the record that follows it, and is marked.
#include <string>
#include <vector>

#include "log/log_record.h"
#include "platform/wide_string.h"

namespace quill::plan {

struct ReadRecord {
  LogRecord record;
  std::vector<WString> values;  // its "%s" and "%d" values, in order
  bool cut_short = false;       // ended before its text did
  int line = 0;                 // 1-based line of the log
};

struct ReadLog {
  std::vector<ReadRecord> records;
  std::vector<int> unknown_lines;  // lines that hold no record
};

// The log's bytes: one character per byte, CR LF read as a line end.
ReadLog ReadLogRecords(const std::string& bytes);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_RECORDS_H_
