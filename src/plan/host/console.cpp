#include "plan/host/console.h"

#include <iostream>

#include "base/utf.h"

namespace quill::plan {

namespace {

// Bytes of `text` from its end that begin a character not yet whole.
size_t CutCharacter(const std::string& text) {
  for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) != 0x80) {
      const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      return length > back ? back : 0;
    }
  }
  return 0;
}

constexpr size_t kHeld = 4096;

}  // namespace

ConsoleBuffer::~ConsoleBuffer() { Hand(true); }

bool ConsoleBuffer::Hand(bool whole) {
  const size_t kept = whole ? 0 : CutCharacter(pending_);
  if (pending_.size() > kept && !failed_) {
    failed_ = !console_.Write(FromUtf8(pending_.substr(0, pending_.size() - kept)));
  }
  pending_.erase(0, pending_.size() - kept);
  return !failed_;
}

int ConsoleBuffer::overflow(int c) {
  if (c == traits_type::eof()) return sync() == 0 ? 0 : traits_type::eof();
  pending_ += static_cast<char>(c);
  if (pending_.size() >= kHeld && !Hand(false)) return traits_type::eof();
  return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* bytes, std::streamsize count) {
  pending_.append(bytes, static_cast<size_t>(count));
  if (pending_.size() >= kHeld && !Hand(false)) return 0;
  return count;
}

int ConsoleBuffer::sync() { return Hand(false) ? 0 : -1; }

StandardStreams::StandardStreams()
    : out_console_(ConsoleOf(StandardStream::kOutput)),
      err_console_(ConsoleOf(StandardStream::kError)),
      out_buffer_(out_console_ ? std::make_unique<ConsoleBuffer>(*out_console_) : nullptr),
      err_buffer_(err_console_ ? std::make_unique<ConsoleBuffer>(*err_console_) : nullptr),
      out_(out_buffer_ ? out_buffer_.get() : std::cout.rdbuf()),
      err_(err_buffer_ ? err_buffer_.get() : std::cerr.rdbuf()) {
  // What goes wrong is told after what was written before it.
  err_.tie(&out_);
  if (err_buffer_) err_.setf(std::ios::unitbuf);
}

}  // namespace quill::plan
