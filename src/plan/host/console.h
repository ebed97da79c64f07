#ifndef QUILL_PLAN_HOST_CONSOLE_H_
#define QUILL_PLAN_HOST_CONSOLE_H_

// Standard output and standard error as quillplan writes them. A Windows
// console shows the bytes written to it in its own code page (437, 850 or
// 1252 as a rule), so UTF-8 "Réseau" comes out as "RÃ©seau" and columns
// slip; its wide-character interface shows every name as it is, at any
// code page. So text for a console goes through that interface, and text
// for a file or a pipe stays UTF-8 bytes. The build chooses the console:
// the Win32 one where a stream is a console, none elsewhere.
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "platform/wide_string.h"

namespace quill::plan {

class Console {
 public:
  virtual ~Console() = default;
  // False when the text could not be shown.
  virtual bool Write(const WString& text) = 0;
};

enum class StandardStream { kOutput, kError };

// The console `stream` is, or none when it is a file, a pipe, or the
// build's host has no such consoles.
std::unique_ptr<Console> ConsoleOf(StandardStream stream);

// UTF-8 bytes handed on to a console as UTF-16, whole characters only: a
// character cut by a write waits for its last bytes.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(Console& console) : console_(console) {}
  ~ConsoleBuffer() override;

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;
  int sync() override;

 private:
  bool Hand(bool whole);

  Console& console_;
  std::string pending_;
  bool failed_ = false;
};

// std::cout and std::cerr, or their consoles' wide interface where they are consoles.
class StandardStreams {
 public:
  StandardStreams();
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

 private:
  std::unique_ptr<Console> out_console_;
  std::unique_ptr<Console> err_console_;
  std::unique_ptr<ConsoleBuffer> out_buffer_;
  std::unique_ptr<ConsoleBuffer> err_buffer_;
  std::ostream out_;
  std::ostream err_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_CONSOLE_H_
