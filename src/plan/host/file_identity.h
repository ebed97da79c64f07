#ifndef QUILL_PLAN_HOST_FILE_IDENTITY_H_
#define QUILL_PLAN_HOST_FILE_IDENTITY_H_

// Which file a path leads to, and what it is: a run log reached by two names
// is read once, and an output that is one of the inputs is refused. Windows
// numbers a file by its volume and file index, POSIX by device and inode.
#include <cstdint>
#include <filesystem>
#include <string>

namespace quill::plan {

// Which file a path leads to, however many paths lead there.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string path;  // for a system that gives no numbers; both here do
  bool operator<(const FileIdentity& other) const;
  bool operator==(const FileIdentity& other) const { return !(*this < other) && !(other < *this); }
};

// A path of the host as UTF-8.
std::string Utf8Path(const std::filesystem::path& path);

// The identity of what `path` leads to; false when it does not exist.
bool IdentityOf(const std::string& path, FileIdentity* identity);
// "a file", "a folder", "a named pipe", "a device", ... or "not there".
std::string KindOf(const std::string& path, bool follow_link);
// Why a path that is `kind` is not read as a file, in one wording everywhere.
std::string NotAFile(const std::string& kind);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_FILE_IDENTITY_H_
