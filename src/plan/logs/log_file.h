#ifndef QUILL_PLAN_LOGS_LOG_FILE_H_
#define QUILL_PLAN_LOGS_LOG_FILE_H_

// A file of the host opened to be read as a run log. It is opened without
// blocking and read only when it is a regular file: a named pipe, a device
// or a socket on a share would otherwise stop a report for ever.
#include <cstdint>
#include <filesystem>
#include <string>

#include "plan/report/run_stream.h"

namespace quill::plan {

// Which file a path leads to, however many paths lead there.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string path;  // for a system that gives no numbers; both here do
  bool operator<(const FileIdentity& other) const;
  bool operator==(const FileIdentity& other) const { return !(*this < other) && !(other < *this); }
};

// A path of the host as UTF-8.
std::string Utf8Path(const std::filesystem::path& path);

// The identity of what `path` leads to; false when it does not exist.
bool IdentityOf(const std::string& path, FileIdentity* identity);
// "a named pipe", "a device", ... for what is neither a file nor a folder.
std::string KindOf(const std::string& path, bool follow_link);

class LogFile : public ByteSource {
 public:
  LogFile() = default;
  ~LogFile() override;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // False with the reason when it cannot be opened or is no regular file.
  bool Open(const std::string& path, std::string* why_not);
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

#ifdef _WIN32
  void* file_ = nullptr;  // a FILE*: the system has no descriptors
#else
  int descriptor_ = -1;
#endif
  std::string ahead_;
  std::string opening_;
  size_t ahead_given_ = 0;
  bool looked_ahead_ = false;
  bool read_failed_ = false;
};

// Why the opening of a file shows it is no run log; empty when it may be one.
std::string WhyNotALog(const std::string& opening);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LOGS_LOG_FILE_H_
