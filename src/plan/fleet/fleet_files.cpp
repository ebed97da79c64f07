#include "plan/fleet/fleet_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quill::plan {

namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

void Walk(const fs::path& path, const std::function<void(const FoundFile&)>& visit) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) {
    visit({Utf8(path), "cannot be read: no such file or folder"});
    return;
  }
  if (fs::is_symlink(status) && fs::is_directory(fs::status(path, error))) return;
  if (!fs::is_directory(fs::status(path, error))) {
    visit({Utf8(path), ""});
    return;
  }
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) {
    visit({Utf8(path), "folder cannot be read: " + error.message()});
    return;
  }
  std::sort(entries.begin(), entries.end());
  for (const fs::path& entry : entries) Walk(entry, visit);
}

}  // namespace

void ForEachFile(const std::vector<std::string>& paths,
                 const std::function<void(const FoundFile&)>& visit) {
  for (const std::string& path : paths) Walk(fs::u8path(path), visit);
}

}  // namespace quill::plan
