#ifndef QUILL_PLAN_HOST_HOST_PATH_H_
#define QUILL_PLAN_HOST_HOST_PATH_H_

// A path of quillplan's host, as its file functions take it. Windows opens
// a path past 260 characters (MAX_PATH) only with the "\\?\" prefix, which
// in turn takes the path literally: no "/" for "\", no "." or "..", nothing
// relative. So a long path is first made full by the host, then prefixed;
// a shorter one is handed over as given. Elsewhere a path is a path.
#include <filesystem>
#include <string>

#include "platform/wide_string.h"

namespace quill::plan {

// `utf8` as the build's host opens it.
std::filesystem::path HostPath(const std::string& utf8);

// A full Windows path with the prefix that lifts the length limit:
// "\\?\C:\..." and "\\?\UNC\server\share\..."; any other as it is.
WString ExtendedLengthPath(const WString& full_path);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_HOST_PATH_H_
