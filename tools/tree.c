/* A launcher, as many installers are: it starts a copy of itself and ends.
 *   tree.exe SECONDS CHILD_SECONDS MARKER [MORE]
 *                              starts "tree.exe child CHILD_SECONDS MARKER
 *                              MORE", waits SECONDS and ends with 0
 *   tree.exe child SECONDS MARKER MORE
 *                              starts the next child of the chain while MORE
 *                              is above 0 (MORE - 1 after it), waits SECONDS;
 *                              the last of the chain then makes the file
 *                              MARKER, holding the moment it ends (FILETIME,
 *                              decimal): a test sees whether it ran to its
 *                              end, and when
 *   tree.exe stamp FILE        writes the moment its process was made
 *                              (FILETIME, decimal) to FILE
 * A test tells from the marker whether the child was waited for or ended. */
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void SleepSeconds(const wchar_t* text) { Sleep((DWORD)(_wtof(text) * 1000)); }

static int WriteMoment(const wchar_t* path, FILETIME moment) {
  char text[32];
  const ULONGLONG value = ((ULONGLONG)moment.dwHighDateTime << 32) | moment.dwLowDateTime;
  const int length = snprintf(text, sizeof text, "%llu", value);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, text, (DWORD)length, &written, NULL);
  CloseHandle(file);
  return wrote ? 0 : 2;
}

/* Starts "tree.exe child SECONDS MARKER MORE". */
static int StartChild(const wchar_t* seconds, const wchar_t* marker, int more) {
  static wchar_t line[4 * MAX_PATH];
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(NULL, self, MAX_PATH) == 0) return 3;
  _snwprintf(line, sizeof line / sizeof line[0] - 1, L"\"%ls\" child %ls \"%ls\" %d", self,
             seconds, marker, more);
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) return 4;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return 0;
}

static int RunChild(wchar_t** args) {
  const int more = _wtoi(args[4]);
  if (more > 0 && StartChild(args[2], args[3], more - 1) != 0) return 4;
  SleepSeconds(args[2]);
  if (more > 0) return 0;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return WriteMoment(args[3], now);
}

static int Stamp(const wchar_t* path) {
  FILETIME made, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &made, &ended, &kernel, &user)) return 5;
  return WriteMoment(path, made);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)tail;
  (void)show;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == NULL || count < 3) return 1;
  if (wcscmp(args[1], L"stamp") == 0) return count == 3 ? Stamp(args[2]) : 1;
  if (wcscmp(args[1], L"child") == 0) return count == 5 ? RunChild(args) : 1;
  if (count != 4 && count != 5) return 1;
  const int started = StartChild(args[2], args[3], count == 5 ? _wtoi(args[4]) : 0);
  if (started != 0) return started;
  SleepSeconds(args[1]);
  return 0;
}
