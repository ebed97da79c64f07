#ifndef QUILL_PLAN_WINDOWS_HASH_LINES_H_
#define QUILL_PLAN_WINDOWS_HASH_LINES_H_

// One line of a list as sha256sum writes it, so that `sha256sum -c` takes
// quillplan's list as it stands and the program takes sha256sum's.
#include <string>

namespace quill::plan {

// "HEX  PATH\n"; a path with a backslash or a line feed is escaped as
// sha256sum escapes it, the line then starting with a backslash.
std::string Sha256sumLine(const std::string& hex, const std::string& path);

// A host path as a list names it: relative to `current` where it lies
// below or beside it, with "/" between its steps.
std::string ListedPath(const std::string& utf8_path, const std::string& current);

// Why a host name cannot be a Windows file's ("" when it can): a control
// character, or bytes that are not UTF-8 text (the run reads the list as
// UTF-8, and no Windows name reads back as such bytes).
std::string NotAWindowsName(const std::string& utf8_path);

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_HASH_LINES_H_
