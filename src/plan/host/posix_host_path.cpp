#include "plan/host/host_path.h"

namespace quill::plan {

std::filesystem::path HostPath(const std::string& utf8) { return std::filesystem::u8path(utf8); }

}  // namespace quill::plan
