/* A launcher, as many installers are: it starts a copy of itself and ends.
 *   tree.exe SECONDS CHILD_SECONDS MARKER   starts "tree.exe child
 *                                           CHILD_SECONDS MARKER", waits
 *                                           SECONDS and ends with 0
 *   tree.exe child SECONDS MARKER           waits SECONDS, then makes the
 *                                           file MARKER: a test sees whether
 *                                           it ran to its end
 * A test tells from the marker whether the child was waited for or ended. */
#include <windows.h>

#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

static void SleepSeconds(const wchar_t* text) { Sleep((DWORD)(_wtof(text) * 1000)); }

static int RunChild(wchar_t** args) {
  SleepSeconds(args[2]);
  HANDLE file = CreateFileW(args[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(file);
  return 0;
}

static int StartChild(wchar_t** args) {
  static wchar_t line[4 * MAX_PATH];
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(NULL, self, MAX_PATH) == 0) return 3;
  _snwprintf(line, sizeof line / sizeof line[0] - 1, L"\"%ls\" child %ls \"%ls\"", self, args[2],
             args[3]);
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) return 4;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  SleepSeconds(args[1]);
  return 0;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)tail;
  (void)show;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == NULL || count != 4) return 1;
  return wcscmp(args[1], L"child") == 0 ? RunChild(args) : StartChild(args);
}
