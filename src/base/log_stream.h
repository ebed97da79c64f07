#ifndef QUILL_BASE_LOG_STREAM_H_
#define QUILL_BASE_LOG_STREAM_H_

// The run log's text stream, buffered as the C runtime's is: the buffer
// holds 4096 characters of text before the line feeds become CR LF, and
// its bytes reach the file when it is full, when the stream is committed
// (before each installer starts), closed, or destroyed at process exit, so
// a run that never closes its log still leaves the whole block behind.
#include <cstddef>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace quill {

constexpr size_t kLogBufferBytes = 4096;

// Every line feed preceded by a carriage return, as the file gets it.
std::string TranslateLineEnds(const std::string& text);

class LogStream {
 public:
  explicit LogStream(std::unique_ptr<AppendFile> file);
  ~LogStream();
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  // 8-bit text whose line ends are single line feeds.
  void Write(const std::string& text);
  // Writes out what the buffer holds and puts it on the disk.
  void Commit();
  void Close();

 private:
  void Flush();

  std::unique_ptr<AppendFile> file_;
  std::string buffer_;
};

}  // namespace quill

#endif  // QUILL_BASE_LOG_STREAM_H_
