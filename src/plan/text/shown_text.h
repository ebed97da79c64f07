#ifndef QUILL_PLAN_TEXT_SHOWN_TEXT_H_
#define QUILL_PLAN_TEXT_SHOWN_TEXT_H_

// Text from logs, INI files and file names made safe to show on a
// terminal: a control character in the data (an escape sequence, a line
// end, a C1 control, a bidirectional control) or a byte that is not UTF-8
// is shown as \xNN a byte, so a log can neither drive the terminal, nor
// forge a line of the report, nor show a name backwards. One escaper for
// every verb: Shown for a piece of text, ShownOutput for all a verb writes.
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace quill::plan {

// `text` is UTF-8, or meant to be.
std::string Shown(const std::string& text);

// `text` with each byte that is not part of UTF-8 made U+FFFD: for files
// whose readers want UTF-8 (CSV), where an escape would be read as text.
std::string ValidUtf8(const std::string& text);

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
  int Drain();

  std::ostream& out_;
  std::string pending_;  // a sequence the last write ended inside
  std::string shown_;    // room for what is written, used again

};

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_SHOWN_TEXT_H_
