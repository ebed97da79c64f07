#ifndef QUILL_PLAN_REPORT_LOG_FILE_H_
#define QUILL_PLAN_REPORT_LOG_FILE_H_

// A file of the host read as a run log: its opening looked at first, to
// tell a run log from any other file, then read again from its start.
#include <string>

#include "plan/host/input_file.h"
#include "plan/report/run_stream.h"

namespace quill::plan {

class LogFile : public ByteSource {
 public:
  // False with the reason when it cannot be opened or is no regular file.
  bool Open(const std::string& path, std::string* why_not) { return file_.Open(path, why_not); }
  // The opening of the file: up to kOpening bytes of text (NUL bytes, which
  // a crash can leave in front of a banner, not counted) and at most
  // kMostAhead bytes in all. Read gives them again. Once Read has begun, the
  // opening may be gone.
  static constexpr size_t kOpening = 4096;
  static constexpr size_t kMostAhead = 1u << 20;
  const std::string& Opening();
  bool Read(char* into, size_t size, size_t* got) override;
  bool read_failed() const { return read_failed_; }

 private:
  bool ReadFile(char* into, size_t size, size_t* got);

  InputFile file_;
  std::string ahead_;
  std::string opening_;
  size_t ahead_given_ = 0;
  bool looked_ahead_ = false;
  bool read_failed_ = false;
};

// Why the opening of a file shows it is no run log; empty when it may be one.
std::string WhyNotALog(const std::string& opening);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_LOG_FILE_H_
