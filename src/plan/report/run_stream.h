#ifndef QUILL_PLAN_REPORT_RUN_STREAM_H_
#define QUILL_PLAN_REPORT_RUN_STREAM_H_

// A run log read as a stream, one run at a time: the memory it holds is a
// read buffer and the runs read from it, whatever the size of the log.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "plan/report/log_records.h"
#include "plan/report/run_report.h"

namespace quill::plan {

class Workers;

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
  bool read_failed = false;
};

// One stretch of a log made into runs, its lines numbered from 1.
class RunReader {
 public:
  void Feed(const char* bytes, size_t size);
  // The stretch has ended: its last line and its last run.
  void End();
  bool Next(RunRow* run) { return builder_.Next(run); }
  // Complete once End is called.
  const LogTally& tally() const { return tally_; }
  // Ready for another stretch, with the room it has.
  void Reset();

 private:
  void TakeLine(std::string_view line, int64_t number);

  LogLines lines_;
  RunBuilder builder_;
  std::vector<RecordSpan> records_;  // of the line at hand
  LogTally tally_;
};

class RunStream {
 public:
  // With workers, a long log is read `batch` bytes at a time, each batch
  // cut at banners into stretches read side by side; the runs come in the
  // order of the log all the same. A short log is read in one small piece.
  static constexpr size_t kBatch = 2u << 20;
  static constexpr size_t kFirstPiece = 64u << 10;
  explicit RunStream(ByteSource& source, Workers* workers = nullptr, size_t batch = kBatch);
  ~RunStream();
  RunStream(const RunStream&) = delete;
  RunStream& operator=(const RunStream&) = delete;
  // The next run of the log; false at its end or when a read failed.
  // Hand the same row each time: its room is used again.
  bool Next(RunRow* run);
  // Complete once Next has given false.
  const LogTally& tally() const { return tally_; }

 private:
  // A stretch of the log in its reader; the last of a batch goes on into the next.
  struct Stretch {
    RunReader* reader = nullptr;
    int64_t first_line = 1;
    const char* bytes = nullptr;
    size_t size = 0;
    bool ends = false;
  };
  void ReadBatch();
  size_t Fill(size_t want);
  void Cut(size_t filled);
  void Counted(const Stretch& stretch);

  ByteSource& source_;
  Workers* workers_;
  size_t batch_;
  std::vector<char> buffer_;
  std::vector<std::unique_ptr<RunReader>> readers_;  // [0]: the one going on
  std::vector<Stretch> stretches_;
  size_t handing_out_ = 0;
  int64_t first_line_ = 1;  // of the stretch that goes on
  LogTally tally_;
  bool source_ended_ = false;
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
