#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace quill {

bool Win32Platform::IsInstallerServiceBusy() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\_MSIExecute");
  if (mutex == nullptr) {
    // No installation has made it: free. Anything else cannot be checked.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  // Taken for no time at all, and given back: an abandoned mutex is ours
  // then, and free as well.
  const DWORD waited = WaitForSingleObject(mutex, 0);
  const bool owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (owned) ReleaseMutex(mutex);
  CloseHandle(mutex);
  return !owned;
}

}  // namespace quill
