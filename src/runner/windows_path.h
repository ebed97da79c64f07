#ifndef QUILL_RUNNER_WINDOWS_PATH_H_
#define QUILL_RUNNER_WINDOWS_PATH_H_

// Paths as Windows resolves and compares them, for matching the files a
// command line names with the lines of a hash list: one spelling of a file
// must not pass where another is refused.
#include "platform/wide_string.h"

namespace quill {

// `path` made full against `folder` (itself full): "C:\x", "C:/x" and
// "\\server\share\x" stand as they are, "\x" takes the folder's drive,
// anything else goes under the folder. Either separator; "." and ".."
// steps and doubled separators are resolved as Windows resolves them, never
// above the drive or the share; the result uses "\". Empty where Windows
// would take it otherwise than can be told here: "D:x" relative to drive
// D's own current folder, a share named "." or "..".
WString FullWindowsPath(const WString& path, const WString& folder);

// A drive and a separator, or a share: a path no search can take elsewhere.
bool IsFullWindowsPath(const WString& path);

// Full and as FullWindowsPath gives it: the file Windows opens by it is
// the one it names.
bool IsResolvedFullPath(const WString& path);

// The key two spellings of one path share: full, and A to Z folded.
WString PathKey(const WString& full_path);

// The folder part of a full path, without the last separator.
WString ParentFolder(const WString& full_path);

}  // namespace quill

#endif  // QUILL_RUNNER_WINDOWS_PATH_H_
