/* Holds Windows Installer's global mutex, as an installation in progress
 * does (Wine's own msiexec never takes it).
 *   holdmutex.exe SECONDS   takes Global\_MSIExecute, holds it SECONDS,
 *                           gives it back and ends with 0 */
#include <stdlib.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  HANDLE mutex = CreateMutexW(NULL, TRUE, L"Global\\_MSIExecute");
  if (mutex == NULL) return 2;
  Sleep((DWORD)(_wtof(tail) * 1000));
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
