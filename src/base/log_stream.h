#ifndef QUILL_BASE_LOG_STREAM_H_
#define QUILL_BASE_LOG_STREAM_H_

// The run log's buffered stream: bytes reach the file when the buffer is
// full, when the stream is closed, and when it is destroyed at process exit,
// so a run that never closes its log still leaves the whole block behind.
#include <cstddef>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace quill {

constexpr size_t kLogBufferBytes = 4096;

class LogStream {
 public:
  explicit LogStream(std::unique_ptr<AppendFile> file);
  ~LogStream();
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  void Write(const std::string& bytes);
  void Close();

 private:
  void Flush();

  std::unique_ptr<AppendFile> file_;
  std::string buffer_;
};

}  // namespace quill

#endif  // QUILL_BASE_LOG_STREAM_H_
