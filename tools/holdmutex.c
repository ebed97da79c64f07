/* Holds Windows Installer's global mutex, as an installation in progress
 * does (Wine's own msiexec never takes it).
 *   holdmutex.exe SECONDS MARKER   takes Global\_MSIExecute, makes the file
 *                                  MARKER (the test then knows it is held),
 *                                  holds it SECONDS, gives it back, ends */
#include <windows.h>

#include <shellapi.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  (void)tail;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == NULL || count != 3) return 1;
  HANDLE mutex = CreateMutexW(NULL, TRUE, L"Global\\_MSIExecute");
  if (mutex == NULL) return 2;
  HANDLE marker = CreateFileW(args[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  Sleep((DWORD)(_wtof(args[1]) * 1000));
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
