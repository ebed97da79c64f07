#ifndef QUILL_PLAN_VERBS_ERROR_FORM_H_
#define QUILL_PLAN_VERBS_ERROR_FORM_H_

// Every error quillplan tells has one form, "quillplan VERB: WHAT: cause",
// WHAT being the file, folder or option it is about, so that people and
// scripts find the name in one place every time.
#include <ostream>
#include <string>

namespace quill::plan {

// `what` is shown escaped; `verb` may be empty, before a verb is known.
void TellError(std::ostream& err, const std::string& verb, const std::string& what,
               const std::string& cause);

// Why a file could not be opened, in words: "no such file or folder", "a
// folder, not a file", or the system's reason.
std::string WhyNotOpened(const std::string& path, int error_number);
// The same for a file to write: "its folder does not exist", ...
std::string WhyNotWritten(const std::string& path, int error_number);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_ERROR_FORM_H_
