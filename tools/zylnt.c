/* The stand-in machine-identity library. The identifier comes from the
 * environment variable ZYLNT_MACHINE_ID when it is set, so tests and lab
 * images can choose a machine, and otherwise from the firmware's
 * BaseBoardProduct. Whatever the source, at most 259 bytes and a NUL reach
 * the caller's 260-byte buffer. */
#include <windows.h>

#define MACHINE_ID_BUFFER_BYTES 260

static void CopyCut(char* buffer, const char* text, size_t length) {
  size_t taken = 0;
  while (taken < length && taken < MACHINE_ID_BUFFER_BYTES - 1 && text[taken] != '\0') {
    buffer[taken] = text[taken];
    ++taken;
  }
  buffer[taken] = '\0';
}

/* Nonzero when the variable is set, even to an empty text. */
static int FromEnvironment(char* buffer) {
  const char* const name = "ZYLNT_MACHINE_ID";
  const DWORD needed = GetEnvironmentVariableA(name, NULL, 0);
  if (needed == 0) return 0;
  char* value = (char*)HeapAlloc(GetProcessHeap(), 0, needed);
  if (value == NULL) return 0;
  const DWORD length = GetEnvironmentVariableA(name, value, needed);
  if (length < needed) CopyCut(buffer, value, length);
  HeapFree(GetProcessHeap(), 0, value);
  return length < needed;
}

static void FromFirmware(char* buffer) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\BIOS", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, "BaseBoardProduct", NULL, &type, NULL, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    /* The stored text need not end with a NUL; one more byte makes room. */
    char* value = (char*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 1);
    if (value != NULL) {
      if (RegQueryValueExA(key, "BaseBoardProduct", NULL, &type, (BYTE*)value, &size) ==
          ERROR_SUCCESS) {
        CopyCut(buffer, value, size);
      }
      HeapFree(GetProcessHeap(), 0, value);
    }
  }
  RegCloseKey(key);
}

void __cdecl zylGetMachineId(char* buffer) {
  if (buffer == NULL) return;
  buffer[0] = '\0';
  if (!FromEnvironment(buffer)) FromFirmware(buffer);
}
