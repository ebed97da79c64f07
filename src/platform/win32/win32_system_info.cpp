#include "platform/win32/win32_api.h"

#include "platform/win32/win32_export.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE process, BOOL* wow64);

// Looked up, never linked: Windows XP before SP2 has no such export, and the
// program must start there all the same.
IsWow64ProcessFunction FindIsWow64Process() {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return FunctionAt<IsWow64ProcessFunction>(
      reinterpret_cast<uintptr_t>(GetProcAddress(kernel, "IsWow64Process")));
}

// The kernel's answer is the truth: GetVersionExW answers as the program's
// manifest allows, and ours names no Windows after Vista.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW* version);

RtlGetVersionFunction FindRtlGetVersion() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll");
  if (ntdll == nullptr) return nullptr;
  return FunctionAt<RtlGetVersionFunction>(
      reinterpret_cast<uintptr_t>(GetProcAddress(ntdll, "RtlGetVersion")));
}

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* process_machine,
                                              USHORT* native_machine);

// Windows 10 from 1511 only; the one query that tells ARM64 Windows.
IsWow64Process2Function FindIsWow64Process2() {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return FunctionAt<IsWow64Process2Function>(
      reinterpret_cast<uintptr_t>(GetProcAddress(kernel, "IsWow64Process2")));
}

}  // namespace

std::string Win32Platform::CommandLine8() {
  const char* line = GetCommandLineA();
  return line != nullptr ? std::string(line) : std::string();
}

bool Win32Platform::QueryVersion(VersionRecord* record) {
  OSVERSIONINFOEXW version = {};
  // The platform reads at most this many bytes, whatever the size field says.
  if (record->size > sizeof version) return false;
  version.dwOSVersionInfoSize = record->size;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
  record->platform_id = version.dwPlatformId;
  record->major = version.dwMajorVersion;
  record->minor = version.dwMinorVersion;
  return true;
}

bool Win32Platform::HasIsWow64Process() { return FindIsWow64Process() != nullptr; }

bool Win32Platform::QueryIsWow64(int32_t* wow64) {
  const IsWow64ProcessFunction is_wow64_process = FindIsWow64Process();
  if (is_wow64_process == nullptr) return false;
  BOOL flag = FALSE;
  if (!is_wow64_process(GetCurrentProcess(), &flag)) return false;
  *wow64 = flag;
  return true;
}

bool Win32Platform::QueryTrueVersion(TrueVersion* version) {
  const RtlGetVersionFunction rtl_get_version = FindRtlGetVersion();
  if (rtl_get_version == nullptr) return false;
  OSVERSIONINFOEXW record = {};
  record.dwOSVersionInfoSize = sizeof record;
  if (rtl_get_version(&record) != 0) return false;
  version->major = record.dwMajorVersion;
  version->minor = record.dwMinorVersion;
  version->build = record.dwBuildNumber;
  version->platform_id = record.dwPlatformId;
  version->product_type = record.wProductType;
  return true;
}

bool Win32Platform::HasIsWow64Process2() { return FindIsWow64Process2() != nullptr; }

bool Win32Platform::QueryNativeMachine(uint16_t* machine) {
  const IsWow64Process2Function is_wow64_process2 = FindIsWow64Process2();
  if (is_wow64_process2 == nullptr) return false;
  USHORT process_machine = 0;
  USHORT native_machine = 0;
  if (!is_wow64_process2(GetCurrentProcess(), &process_machine, &native_machine)) return false;
  *machine = native_machine;
  return true;
}

bool Win32Platform::IsNative64BitProcess() { return sizeof(void*) == 8; }

uint32_t Win32Platform::UserDefaultLcid() { return GetUserDefaultLCID(); }

WString Win32Platform::AnsiToWide(const std::string& text) {
  if (text.empty()) return WString();
  const int bytes = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
  if (chars <= 0) return WString();
  WString wide(static_cast<size_t>(chars), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, reinterpret_cast<wchar_t*>(&wide[0]), chars);
  return wide;
}

bool Win32Platform::IsSpace(char16_t c) {
  const wchar_t character = static_cast<wchar_t>(c);
  WORD type = 0;
  return GetStringTypeW(CT_CTYPE1, &character, 1, &type) && (type & C1_SPACE) != 0;
}

}  // namespace quill
