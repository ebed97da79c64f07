#include "plan/host/file_version.h"

namespace quill::plan {

// No library here reads a version resource safely: LIEF, the one Debian
// has, crashes on malformed images within a minute of fuzzing, and a
// search for the resource's bytes can find an embedded file's. The plan
// tells the version as an assumption instead.
bool ReadFileVersion(const std::string&, FileVersion*, std::string* why) {
  *why = "versions are read by quillplan.exe on Windows, not here";
  return false;
}

}  // namespace quill::plan
