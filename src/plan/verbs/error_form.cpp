#include "plan/verbs/error_form.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "plan/host/host_path.h"
#include "plan/text/shown_text.h"

namespace quill::plan {

void TellError(std::ostream& err, const std::string& verb, const std::string& what,
               const std::string& cause) {
  err << "quillplan" << (verb.empty() ? "" : " ") << verb << ": " << Shown(what) << ": " << Shown(cause)
      << "\n";
}

std::string WhyNotOpened(const std::string& path, int error_number) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(HostPath(path), error);
  if (!std::filesystem::exists(status)) return "no such file or folder";
  if (std::filesystem::is_directory(status)) return "a folder, not a file";
  if (!std::filesystem::is_regular_file(status)) return "not a file";
  return error_number != 0 ? std::strerror(error_number) : "the system gives no reason";
}

std::string WhyNotWritten(const std::string& path, int error_number) {
  std::error_code error;
  const std::filesystem::path host = HostPath(path);
  if (std::filesystem::is_directory(host, error)) return "a folder, not a file";
  const std::filesystem::path folder = host.parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return "its folder does not exist";
  }
  return error_number != 0 ? std::strerror(error_number) : "the system gives no reason";
}

}  // namespace quill::plan
