// The command tail cut from the process's 8-bit command line. The input is
// a whole command line; it is also put behind program names of each kind.
#include <string>

#include "fuzz_support.h"
#include "run/command_line.h"

using quill::fuzz::Check;

namespace {

bool IsBlank(char byte) { return byte != '\0' && static_cast<unsigned char>(byte) <= 0x20; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string line(reinterpret_cast<const char*>(bytes), size);
  const std::string tail = quill::CutCommandTail(line);

  Check(
      tail.size() <= line.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0,
      "the tail is the end of the command line");
  Check(tail.empty() || !IsBlank(tail[0]), "the tail starts after the blanks");
  // What was cut is the program name (to its closing quote, or to the first
  // byte up to 0x20) and the blanks after it, nothing more.
  const std::string cut = line.substr(0, line.size() - tail.size());
  size_t name_end = 0;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    name_end = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (name_end < line.size() && static_cast<unsigned char>(line[name_end]) > 0x20) ++name_end;
  }
  Check(cut.size() >= name_end, "the whole program name is cut");
  for (size_t i = name_end; i < cut.size(); ++i)
    Check(IsBlank(cut[i]), "only blanks follow the name");

  // Behind any program name, the same text is the tail.
  size_t begin = 0;
  while (begin < line.size() && IsBlank(line[begin])) ++begin;
  const std::string text = line.substr(begin);
  Check(quill::CutCommandTail("QUILLRUN.EXE " + text) == text, "behind a plain name");
  Check(quill::CutCommandTail("\"C:\\Program Files\\Q\\QUILLRUN.EXE\"" + text) == text,
        "right behind a quoted name");
  Check(quill::CutCommandTail("\"C:\\a b\\QUILLRUN.EXE\" \t\x01 " + text) == text,
        "behind a quoted name and blanks");
  return 0;
}
