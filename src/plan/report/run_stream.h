#ifndef QUILL_PLAN_REPORT_RUN_STREAM_H_
#define QUILL_PLAN_REPORT_RUN_STREAM_H_

// A run log read as a stream, one run at a time: the memory it holds is a
// read buffer, one line and one run, whatever the size of the log.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "plan/report/log_records.h"
#include "plan/report/run_report.h"

namespace quill::plan {

// Where a log's bytes come from: a file, or text in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `into`; *got is 0 at the end. False when a read fails.
  virtual bool Read(char* into, size_t size, size_t* got) = 0;
};

// What a log held besides its runs.
struct LogTally {
  static constexpr size_t kUnknownLinesKept = 100;
  int64_t lines = 0;
  int64_t unknown_lines = 0;
  std::vector<int64_t> first_unknown_lines;  // the first kUnknownLinesKept of them
  int64_t records_outside_runs = 0;
  UnusedRecords unused_records;
  bool read_failed = false;
};

class RunStream {
 public:
  RunStream() = default;  // Restart gives it its log
  explicit RunStream(ByteSource& source) : source_(&source) {}
  // Another log, read with the room the last one left: a folder of small
  // logs allocates little for each.
  void Restart(ByteSource& source);
  // The next run of the log; nothing at its end or when a read failed.
  // Valid until the next call.
  const RunRow* Next();
  // Complete once Next has given false.
  const LogTally& tally() const { return tally_; }

 private:
  bool ReadMore();

  ByteSource* source_ = nullptr;
  LogLines lines_;
  RunBuilder builder_;
  std::vector<RecordSpan> records_;  // of the line at hand
  // Not zeroed first: a folder of small logs makes one for each.
  static constexpr size_t kChunk = 64u << 10;
  std::unique_ptr<char[]> chunk_{new char[kChunk]};
  LogTally tally_;
  bool ended_ = false;
};

// A log held in memory, as a source.
class TextSource : public ByteSource {
 public:
  explicit TextSource(const std::string& text) : text_(text) {}
  bool Read(char* into, size_t size, size_t* got) override;

 private:
  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_RUN_STREAM_H_
