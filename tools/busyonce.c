/* A stand-in installer that finds another installation in progress the
 * first time it is started:
 *   busyonce.exe MARKER   ends with 1618 and leaves the file MARKER when it
 *                         is missing, and with 0 once it is there. */
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)command_line;
  (void)show;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count != 2) return 87;
  if (GetFileAttributesW(arguments[1]) != INVALID_FILE_ATTRIBUTES) return 0;
  HANDLE marker = CreateFileW(arguments[1], GENERIC_WRITE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return 1618;
}
