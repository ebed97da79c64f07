#include "plan/windows/local_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "plan/host/host_path.h"

namespace quill::plan {

bool ReadLocalFile(const std::string& path, std::string* bytes) {
  std::error_code error;
  const std::filesystem::path local = HostPath(path);
  if (!std::filesystem::is_regular_file(local, error)) return false;
  std::ifstream in(local, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace quill::plan
