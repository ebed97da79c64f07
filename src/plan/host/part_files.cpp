#include "plan/host/part_files.h"

#include <cstring>

namespace quill::plan {

bool IsPartFileName(const std::string& name) {
  const size_t mark = name.rfind(".quillplan-");
  if (mark == std::string::npos || name.size() < 5 || name.compare(name.size() - 5, 5, ".part") != 0) {
    return false;
  }
  const std::string middle = name.substr(mark + 11, name.size() - 5 - mark - 11);  // PID-N
  const size_t dash = middle.find('-');
  return dash != std::string::npos && dash > 0 && dash + 1 < middle.size() &&
         middle.find_first_not_of("0123456789") == dash &&
         middle.find_first_not_of("0123456789abcdef", dash + 1) == std::string::npos;
}

}  // namespace quill::plan
