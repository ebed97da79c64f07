#include <cstdio>
#include <random>
#include <tuple>

#include "plan/host/file_identity.h"
#include "plan/host/put_in_place.h"

namespace quill::plan {

bool FileIdentity::operator<(const FileIdentity& other) const {
  return std::tie(device, inode, path) < std::tie(other.device, other.inode, other.path);
}

std::string Utf8Path(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string NotAFile(const std::string& kind) { return "not read: " + kind + ", not a file"; }

std::string PartName(const std::filesystem::path& target) {
  std::random_device random;
  char tail[48];
  std::snprintf(tail, sizeof tail, ".quillplan-%d-%08x.part", ProcessId(), random());
  return Utf8Path(target) + tail;
}

}  // namespace quill::plan
