#ifndef QUILL_PLAN_HOST_FILE_VERSION_H_
#define QUILL_PLAN_HOST_FILE_VERSION_H_

// A mapped file's version as DetectFile compares it: the file version of
// its version resource (VS_FIXEDFILEINFO). On Windows version.dll reads it,
// loaded by full path from the system folder; elsewhere LIEF (Debian's
// liblief) parses the image.
#include <string>

#include "platform/installed_state.h"

namespace quill::plan {

// False, with `why` in words, when the file cannot be read or holds no
// version resource.
bool ReadFileVersion(const std::string& local_path, FileVersion* version, std::string* why);

// The same over a file's bytes (LIEF's hosts only).
bool FileVersionInBytes(const std::string& bytes, FileVersion* version);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_FILE_VERSION_H_
