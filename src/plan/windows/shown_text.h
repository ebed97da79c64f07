#ifndef QUILL_PLAN_WINDOWS_SHOWN_TEXT_H_
#define QUILL_PLAN_WINDOWS_SHOWN_TEXT_H_

// Text from logs, INI files and file names made safe to show on a
// terminal: a control character in the data (an escape sequence, a line
// end, a C1 control) or a byte that is not UTF-8 is shown as \xNN, so a log
// can neither drive the terminal nor forge a line of the report.
#include <string>

namespace quill::plan {

// `text` is UTF-8, or meant to be.
std::string Shown(const std::string& text);

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_SHOWN_TEXT_H_
