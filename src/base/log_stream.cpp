#include "base/log_stream.h"

#include <algorithm>
#include <utility>

namespace quill {

LogStream::LogStream(std::unique_ptr<AppendFile> file) : file_(std::move(file)) {
  buffer_.reserve(kLogBufferBytes);
}

LogStream::~LogStream() { Close(); }

void LogStream::Write(const std::string& bytes) {
  if (!file_) return;
  size_t taken = 0;
  while (taken < bytes.size()) {
    const size_t room = kLogBufferBytes - buffer_.size();
    const size_t part = std::min(room, bytes.size() - taken);
    buffer_.append(bytes, taken, part);
    taken += part;
    if (buffer_.size() == kLogBufferBytes) Flush();
  }
}

void LogStream::Close() {
  if (!file_) return;
  Flush();
  file_->Close();  // a failed close is not reported
  file_.reset();
}

void LogStream::Flush() {
  if (!buffer_.empty()) file_->Append(buffer_);  // a failed write is not retried
  buffer_.clear();
}

}  // namespace quill
