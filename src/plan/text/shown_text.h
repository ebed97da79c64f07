#ifndef QUILL_PLAN_TEXT_SHOWN_TEXT_H_
#define QUILL_PLAN_TEXT_SHOWN_TEXT_H_

// Text from logs, INI files and file names made safe to show on a
// terminal: a control character in the data (an escape sequence, a line
// end, a C1 control) or a byte that is not UTF-8 is shown as \xNN, so a log
// can neither drive the terminal nor forge a line of the report.
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace quill::plan {

// `text` is UTF-8, or meant to be.
std::string Shown(const std::string& text);

// The columns UTF-8 text takes on a terminal: a character each, however
// many bytes it has, so that padding does not count bytes.
size_t Columns(std::string_view utf8);

// Everything written through it reaches `out` with its control characters
// shown as \xNN, line feeds kept: for verbs whose data cannot hold a line
// end (an INI file's names and values end at one), so that no writer of
// theirs needs to know. Valid UTF-8 is passed on as it is.
class ShownOutput : public std::streambuf {
 public:
  explicit ShownOutput(std::ostream& out) : out_(out) {}
  ~ShownOutput() override { Drain(); }

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;
  int sync() override;

 private:
  void Put(unsigned char c);
  int Drain();

  std::ostream& out_;
  bool after_c2_ = false;  // a lead byte that may open a C1 control
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_SHOWN_TEXT_H_
