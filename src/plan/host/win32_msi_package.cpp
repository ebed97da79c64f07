#include "plan/host/msi_package.h"

#include <windows.h>
// after windows.h, which they need
#include <msi.h>
#include <msiquery.h>

#include <vector>

#include "base/utf.h"

namespace quill::plan {

namespace {

// A Windows Installer handle, closed however the reading ends.
struct Handle {
  ~Handle() {
    if (get != 0) MsiCloseHandle(get);
  }
  MSIHANDLE get = 0;
};

}  // namespace

bool ReadProductCode(const std::string& local_path, std::string* code, std::string* error) {
  const WString path = FromUtf8(local_path);
  Handle database, view, record;
  if (MsiOpenDatabaseW(reinterpret_cast<const wchar_t*>(path.c_str()),
                       nullptr /* MSIDBOPEN_READONLY */, &database.get) != ERROR_SUCCESS) {
    *error = "not a Windows Installer package";
    return false;
  }
  if (MsiDatabaseOpenViewW(database.get,
                           L"SELECT `Value` FROM `Property` WHERE `Property` = 'ProductCode'",
                           &view.get) != ERROR_SUCCESS ||
      MsiViewExecute(view.get, 0) != ERROR_SUCCESS) {
    *error = "its Property table cannot be read";
    return false;
  }
  if (MsiViewFetch(view.get, &record.get) != ERROR_SUCCESS) {
    *error = "it has no ProductCode";
    return false;
  }
  DWORD length = 0;
  wchar_t empty[1] = {L'\0'};
  MsiRecordGetStringW(record.get, 1, empty, &length);
  std::vector<wchar_t> value(length + 1, L'\0');
  length = static_cast<DWORD>(value.size());
  if (MsiRecordGetStringW(record.get, 1, value.data(), &length) != ERROR_SUCCESS) {
    *error = "it has no ProductCode";
    return false;
  }
  *code = ToUtf8(WString(reinterpret_cast<const char16_t*>(value.data()), length));
  return true;
}

}  // namespace quill::plan
