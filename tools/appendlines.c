/* Holds a log open the way another writer of the same log would, and
 * appends numbered lines to it while a test runs:
 *   appendlines.exe PATH COUNT INTERVAL-MS READY-FILE [SHARE]
 * opens PATH for appending (made when missing), sharing reading and writing
 * (SHARE "r": reading only, so nobody else may write), creates READY-FILE,
 * then writes "appendlines N" and CR LF for N = 1 to COUNT, each line in one
 * write, INTERVAL-MS apart, and closes PATH last. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count < 5 || count > 6) return 2;
  const DWORD share =
      (count == 6 && lstrcmpW(arguments[5], L"r") == 0) ? FILE_SHARE_READ
                                                        : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE log = CreateFileW(arguments[1], FILE_APPEND_DATA, share, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
  if (log == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileW(arguments[4], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  const int lines = _wtoi(arguments[2]);
  const DWORD interval = (DWORD)_wtoi(arguments[3]);
  int failed = 0;
  for (int n = 1; n <= lines; ++n) {
    char line[64];
    const int length = snprintf(line, sizeof line, "appendlines %d\r\n", n);
    DWORD written = 0;
    if (!WriteFile(log, line, (DWORD)length, &written, NULL) || written != (DWORD)length) failed = 1;
    if (n < lines) Sleep(interval);
  }
  CloseHandle(log);
  LocalFree(arguments);
  return failed ? 3 : 0;
}
