#include <algorithm>
#include <fstream>

#include "plan/host/file_version.h"

namespace quill::plan {

namespace {

// An installer's resources are within its first bytes for any a deployment
// holds; memory stays bounded whatever the file.
constexpr std::streamsize kLongestRead = 256 << 20;

}  // namespace

bool ReadFileVersion(const std::string& local_path, FileVersion* version, std::string* why) {
  std::ifstream file(local_path, std::ios::binary);
  if (!file) {
    *why = "it cannot be opened";
    return false;
  }
  file.seekg(0, std::ios::end);
  const std::streamsize size = std::min<std::streamsize>(file.tellg(), kLongestRead);
  file.seekg(0, std::ios::beg);
  if (size < 0 || !file) {
    *why = "it cannot be read";
    return false;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  file.read(&bytes[0], size);
  if (file.bad()) {
    *why = "it cannot be read";
    return false;
  }
  bytes.resize(static_cast<size_t>(file.gcount()));
  if (!FileVersionInBytes(bytes, version)) {
    *why = "it has no version resource";
    return false;
  }
  return true;
}

}  // namespace quill::plan
