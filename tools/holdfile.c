/* Holds a file open the way a sync client or a virus scanner may: with
 * delete access, sharing reading and writing but not deletion, so that a
 * plain open for reading is refused while a copy of the file still works.
 *   holdfile.exe PATH SECONDS READY-FILE
 * READY-FILE is created once the file is held, so a test knows when to go on. */
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count != 4) return 2;
  HANDLE held = CreateFileW(arguments[1], DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileW(arguments[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  Sleep((DWORD)(_wtof(arguments[2]) * 1000));
  CloseHandle(held);
  return 0;
}
