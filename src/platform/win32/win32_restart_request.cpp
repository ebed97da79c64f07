#include "platform/win32/win32_api.h"

#include "platform/win32/win32_export.h"
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

// The first fields of SYSTEM_TIMEOFDAY_INFORMATION, as every Windows since
// NT 4 fills them; Wine gives its server's start. Both times count 100 ns
// from 1601 (UTC).
struct TimeOfDay {
  LARGE_INTEGER boot_time;
  LARGE_INTEGER current_time;
  LARGE_INTEGER time_zone_bias;
  ULONG time_zone_id;
  ULONG reserved;
};
constexpr ULONG kSystemTimeOfDayInformation = 3;
using NtQuerySystemInformationFunction = LONG(WINAPI*)(ULONG information_class, void* buffer,
                                                       ULONG length, ULONG* returned);

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

}  // namespace

bool Win32Platform::ReadBootTime(int64_t* boot_time) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll");
  if (ntdll == nullptr) return false;
  const auto query = FunctionAt<NtQuerySystemInformationFunction>(
      reinterpret_cast<uintptr_t>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  TimeOfDay time_of_day = {};
  if (query == nullptr ||
      query(kSystemTimeOfDayInformation, &time_of_day, sizeof(time_of_day), nullptr) < 0 ||
      time_of_day.boot_time.QuadPart <= 0) {
    return false;
  }
  *boot_time = time_of_day.boot_time.QuadPart / kTicksPerSecond - kSecondsFrom1601To1970;
  return true;
}

// A service's window station is not WinSta0; from Vista on, session 0 has
// no user at all.
bool Win32Platform::InInteractiveSession() {
  DWORD session = 0;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0 &&
      GetVersionExW(&version) && version.dwMajorVersion >= 6) {
    return false;
  }
  wchar_t name[64] = {};
  DWORD needed = 0;
  HWINSTA station = GetProcessWindowStation();
  return station != nullptr &&
         GetUserObjectInformationW(station, UOI_NAME, name, sizeof name - sizeof(wchar_t),
                                   &needed) &&
         lstrcmpiW(name, L"WinSta0") == 0;
}

bool Win32Platform::RequestRestart(RestartCall call) {
  if (!EnableShutdownPrivilege()) return false;
  // Planned, for an installation: the reason the event log keeps.
  const DWORD reason =
      SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED;
  if (call == RestartCall::kSystemShutdown) {
    return InitiateSystemShutdownExW(nullptr, nullptr, 0, TRUE, TRUE, reason) != 0;
  }
  return ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, reason) != 0;
}

}  // namespace quill
