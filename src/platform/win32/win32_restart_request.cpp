#include "platform/win32/win32_api.h"

#include "platform/win32/win32_platform.h"

namespace quill {

namespace {

// A process holds the shutdown privilege disabled until it enables it.
bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled =
      LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) != 0 &&
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != 0 &&
      GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
  CloseHandle(token);
  return enabled;
}

}  // namespace

bool Win32Platform::RequestRestart() {
  if (!EnableShutdownPrivilege()) return false;
  // Planned, for an installation: the reason the event log keeps.
  const DWORD reason =
      SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED;
  return ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, reason) != 0;
}

}  // namespace quill
