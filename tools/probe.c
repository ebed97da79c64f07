/* Tells what a program started under Wine sees of its machine, so the
 * end-to-end harness can check that what a test asks for arrives:
 *   probe.exe OUTPUT-FILE
 * writes UTF-8 lines "name=value": version (major.minor), platform, lcid
 * (0x%x), acp, cwd, command (the whole command line) and machine_id (the
 * variable ZYLNT_MACHINE_ID, or <unset>). Installed as QUILLRUN.EXE it gets
 * that program's per-program Windows version. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

static void Put(HANDLE file, const char* name, const wchar_t* value) {
  char line[8192];
  const int head = snprintf(line, sizeof line, "%s=", name);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, value, -1, line + head,
                                        (int)sizeof line - head - 1, NULL, NULL);
  const int length = head + (bytes > 0 ? bytes - 1 : 0);
  line[length] = '\n';
  DWORD written = 0;
  WriteFile(file, line, (DWORD)length + 1, &written, NULL);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)tail;
  (void)show;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count < 2) return 2;
  HANDLE file = CreateFileW(arguments[1], GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 3;

  wchar_t text[4096];
  OSVERSIONINFOW version = {0};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);
  swprintf(text, 4096, L"%lu.%lu", version.dwMajorVersion, version.dwMinorVersion);
  Put(file, "version", text);
  swprintf(text, 4096, L"%lu", version.dwPlatformId);
  Put(file, "platform", text);
  swprintf(text, 4096, L"0x%lx", (unsigned long)GetUserDefaultLCID());
  Put(file, "lcid", text);
  swprintf(text, 4096, L"%u", GetACP());
  Put(file, "acp", text);
  GetCurrentDirectoryW(4096, text);
  Put(file, "cwd", text);
  Put(file, "command", GetCommandLineW());
  if (GetEnvironmentVariableW(L"ZYLNT_MACHINE_ID", text, 4096) == 0 &&
      GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
    lstrcpyW(text, L"<unset>");
  }
  Put(file, "machine_id", text);
  CloseHandle(file);
  LocalFree(arguments);
  return 0;
}
