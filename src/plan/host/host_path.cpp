#include "plan/host/host_path.h"

namespace quill::plan {

WString ExtendedLengthPath(const WString& full_path) {
  if (full_path.rfind(u"\\\\?\\", 0) == 0) return full_path;
  if (full_path.size() >= 3 && full_path[1] == u':' && full_path[2] == u'\\') {
    return u"\\\\?\\" + full_path;
  }
  if (full_path.size() > 2 && full_path.rfind(u"\\\\", 0) == 0 && full_path[2] != u'.') {
    return u"\\\\?\\UNC\\" + full_path.substr(2);
  }
  return full_path;
}

}  // namespace quill::plan
