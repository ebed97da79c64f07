#ifndef QUILL_PLAN_WINDOWS_PATH_MAP_H_
#define QUILL_PLAN_WINDOWS_PATH_MAP_H_

// Windows paths of the planned machine answered from local directories:
// "C:=/srv/image" or "C:\Apps=/mnt/apps". Prefixes and every name below
// them compare without regard to case, as Windows compares them, so a
// case-sensitive local disk still answers "C:\APPS\Reader" from apps/reader.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/wide_string.h"

namespace quill::plan {

struct PathMapping {
  WString windows_prefix;
  std::string local_directory;
};

// "PREFIX=DIR"; false when either side is empty.
bool ParsePathMapping(const std::string& text, PathMapping* mapping);

// The path as Windows resolves it: "/" read as "\", repeated separators and
// "." dropped, ".." taken back, trailing dots and blanks of a name dropped.
// Its names, the drive ("C:") first.
std::vector<WString> WindowsPathNames(const WString& path);

// What the listing of its folder tells of a local path; unknown where the
// folder could not be listed.
enum class LocalKind { kUnknown, kMissing, kFile, kDirectory };

struct LocalPath {
  std::string path;
  LocalKind kind = LocalKind::kUnknown;
};

class PathMap {
 public:
  void Add(const PathMapping& mapping);
  bool empty() const { return mappings_.empty(); }

  // The local path for a Windows path by the longest matching prefix, each
  // name below it matched without regard to case; nothing when no mapping
  // covers the path.
  std::optional<std::string> ToLocal(const WString& windows_path);
  // The other way: the Windows path of a local one under a mapped folder.
  std::optional<WString> ToWindows(const std::string& local_path) const;
  // The same, with what the folder's listing says of it. The files do not
  // change while quillplan runs: each folder is listed once.
  std::optional<LocalPath> Resolve(const WString& windows_path);

 private:
  struct Listing {
    bool listed = false;
    std::unordered_map<WString, LocalPath> by_name;  // by lower-case name
  };
  LocalPath ResolveName(const std::string& directory, const WString& name);

  std::vector<std::pair<std::vector<WString>, std::string>> mappings_;
  std::unordered_map<std::string, Listing> listings_;  // by local directory
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_PATH_MAP_H_
