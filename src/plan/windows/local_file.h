#ifndef QUILL_PLAN_WINDOWS_LOCAL_FILE_H_
#define QUILL_PLAN_WINDOWS_LOCAL_FILE_H_

// Files of the host that quillplan reads: the INI file, tables and logs.
#include <string>

namespace quill::plan {

// The whole file; false when it cannot be read. `path` is UTF-8.
bool ReadLocalFile(const std::string& path, std::string* bytes);

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_LOCAL_FILE_H_
