#ifndef QUILL_RUNNER_HASH_LIST_H_
#define QUILL_RUNNER_HASH_LIST_H_

// [Settings] HashList=: a list in sha256sum's format of the installers the
// deployment vouches for. Without the key nothing of this is read.
#include <map>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

extern const char16_t kHashListKey[];

struct ParsedHashList {
  std::map<WString, ListedHash> by_path;  // by PathKey of the full path
  std::vector<int32_t> unread_lines;      // numbers of the lines that do not read
};

// Lines of 64 hex digits, a blank, a blank or "*", and a UTF-8 path, full
// or relative to `list_folder` with "/" or "\"; a line that sha256sum
// escapes (a leading "\") is taken back. Blank lines are passed over.
ParsedHashList ParseHashList(const std::string& bytes, const WString& list_folder);

// Reads the key and the list into the context; the list's failures are
// told in the log. A value given relative is taken from the input INI
// file's folder.
void ReadHashList(RunContext& context, Platform& platform);
// The list at its full path read into the context, its failures told.
void ReadHashListFile(const WString& list_path, RunContext& context, Platform& platform);

// The current folder, however long, for what is relative to it.
constexpr size_t kLongestPathChars = 32768;
WString CurrentFolder(FileSystem& files);

// The 32 bytes of a digest as 64 lower-case hex digits.
std::string HexDigest(const std::string& digest);

}  // namespace quill

#endif  // QUILL_RUNNER_HASH_LIST_H_
