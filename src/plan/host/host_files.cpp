#include <cstdio>
#include <random>
#include <string>
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

bool IsPartFileName(const std::string& name) {
  const size_t mark = name.rfind(".quillplan-");
  if (mark == std::string::npos || name.size() < 5 ||
      name.compare(name.size() - 5, 5, ".part") != 0) {
    return false;
  }
  const std::string middle = name.substr(mark + 11, name.size() - 5 - mark - 11);  // PID-N
  const size_t dash = middle.find('-');
  return dash != std::string::npos && dash > 0 && dash + 1 < middle.size() &&
         middle.find_first_not_of("0123456789") == dash &&
         middle.find_first_not_of("0123456789abcdef", dash + 1) == std::string::npos;
}

}  // namespace quill::plan
