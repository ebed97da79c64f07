#include "base/log_stream.h"

#include <algorithm>
#include <utility>

namespace quill {

LogStream::LogStream(std::unique_ptr<AppendFile> file) : file_(std::move(file)) {
  buffer_.reserve(kLogBufferBytes);
}

LogStream::~LogStream() { Close(); }

std::string TranslateLineEnds(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

void LogStream::Write(const std::string& text) {
  if (!file_) return;
  size_t taken = 0;
  while (taken < text.size()) {
    const size_t room = kLogBufferBytes - buffer_.size();
    const size_t part = std::min(room, text.size() - taken);
    buffer_.append(text, taken, part);
    taken += part;
    if (buffer_.size() == kLogBufferBytes) Flush();
  }
}

void LogStream::Commit() {
  if (!file_) return;
  Flush();
  file_->Flush();  // a failed flush is not reported: the run goes on
}

void LogStream::Close() {
  if (!file_) return;
  Flush();
  file_->Close();  // a failed close is not reported
  file_.reset();
}

void LogStream::Flush() {
  if (!buffer_.empty()) file_->Append(TranslateLineEnds(buffer_));  // a failed write is not retried
  buffer_.clear();
}

}  // namespace quill
