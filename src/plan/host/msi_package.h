#ifndef QUILL_PLAN_HOST_MSI_PACKAGE_H_
#define QUILL_PLAN_HOST_MSI_PACKAGE_H_

// A Windows Installer package's ProductCode, read by a real Windows
// Installer library: libmsi (msitools) on a POSIX host, msi.dll's database
// functions on Windows. A package is a compound file with its own tables;
// nothing of it is parsed here.
#include <string>

namespace quill::plan {

// The package's ProductCode ("{...}"), true; false with `error` saying why
// (no such file, not a package, no ProductCode).
bool ReadProductCode(const std::string& local_path, std::string* code, std::string* error);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_MSI_PACKAGE_H_
