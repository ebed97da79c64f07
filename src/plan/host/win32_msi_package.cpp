#include "plan/host/msi_package.h"

#include <windows.h>
// after windows.h, which they need
#include <msi.h>
#include <msiquery.h>

#include <vector>

#include "base/utf.h"
#include "platform/win32/win32_system_library.h"

namespace quill::plan {

namespace {

// msi.dll of the system folder, never one planted beside quillplan.exe:
// found at its first use, as the program finds it.
struct Msi {
  SystemLibrary library{L"msi.dll"};
  decltype(&MsiOpenDatabaseW) open_database =
      library.Find<decltype(&MsiOpenDatabaseW)>("MsiOpenDatabaseW");
  decltype(&MsiDatabaseOpenViewW) open_view =
      library.Find<decltype(&MsiDatabaseOpenViewW)>("MsiDatabaseOpenViewW");
  decltype(&MsiViewExecute) execute = library.Find<decltype(&MsiViewExecute)>("MsiViewExecute");
  decltype(&MsiViewFetch) fetch = library.Find<decltype(&MsiViewFetch)>("MsiViewFetch");
  decltype(&MsiRecordGetStringW) get_string =
      library.Find<decltype(&MsiRecordGetStringW)>("MsiRecordGetStringW");
  decltype(&MsiCloseHandle) close = library.Find<decltype(&MsiCloseHandle)>("MsiCloseHandle");
  bool Whole() const {
    return open_database && open_view && execute && fetch && get_string && close;
  }
};

Msi& TheMsi() {
  static Msi msi;
  return msi;
}

// A Windows Installer handle, closed however the reading ends.
struct Handle {
  ~Handle() {
    if (get != 0) TheMsi().close(get);
  }
  MSIHANDLE get = 0;
};

}  // namespace

bool ReadProductCode(const std::string& local_path, std::string* code, std::string* error) {
  Msi& msi = TheMsi();
  if (!msi.Whole()) {
    *error = "msi.dll of the system folder cannot be loaded";
    return false;
  }
  const WString path = FromUtf8(local_path);
  Handle database, view, record;
  if (msi.open_database(reinterpret_cast<const wchar_t*>(path.c_str()),
                        nullptr /* MSIDBOPEN_READONLY */, &database.get) != ERROR_SUCCESS) {
    *error = "not a Windows Installer package";
    return false;
  }
  if (msi.open_view(database.get,
                    L"SELECT `Value` FROM `Property` WHERE `Property` = 'ProductCode'",
                    &view.get) != ERROR_SUCCESS ||
      msi.execute(view.get, 0) != ERROR_SUCCESS) {
    *error = "its Property table cannot be read";
    return false;
  }
  if (msi.fetch(view.get, &record.get) != ERROR_SUCCESS) {
    *error = "it has no ProductCode";
    return false;
  }
  DWORD length = 0;
  wchar_t empty[1] = {L'\0'};
  msi.get_string(record.get, 1, empty, &length);
  std::vector<wchar_t> value(length + 1, L'\0');
  length = static_cast<DWORD>(value.size());
  if (msi.get_string(record.get, 1, value.data(), &length) != ERROR_SUCCESS) {
    *error = "it has no ProductCode";
    return false;
  }
  *code = ToUtf8(WString(reinterpret_cast<const char16_t*>(value.data()), length));
  return true;
}

}  // namespace quill::plan
