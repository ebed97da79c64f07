/* Starts one command line exactly as given and reports how it ended. Wine
 * builds a program's command line anew from separate arguments, which loses
 * blanks and quotation marks; this program hands the text over untouched.
 *   QUILL_LAUNCH_COMMAND_HEX   the command line, UTF-8, as hexadecimal digits
 * It waits for the process and prints "exit code: N" (the full 32-bit value)
 * on standard output, or "launch failed: ERROR" and ends with 255. */
#include <windows.h>
#include <stdio.h>

static const wchar_t kVariable[] = L"QUILL_LAUNCH_COMMAND_HEX";

static int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

/* The command line as a NUL-terminated wide text on the heap; NULL when the
 * variable is missing or not hexadecimal. */
static wchar_t* CommandLineFromEnvironment(void) {
  const DWORD needed = GetEnvironmentVariableW(kVariable, NULL, 0);
  if (needed == 0) return NULL;
  wchar_t* hex = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, needed * sizeof(wchar_t));
  char* utf8 = (char*)HeapAlloc(GetProcessHeap(), 0, needed / 2 + 1);
  wchar_t* line = NULL;
  const DWORD length = hex != NULL ? GetEnvironmentVariableW(kVariable, hex, needed) : 0;
  if (utf8 != NULL && length > 0 && length < needed && length % 2 == 0) {
    DWORD bytes = 0;
    for (; bytes < length / 2; ++bytes) {
      const int high = HexDigit(hex[2 * bytes]);
      const int low = HexDigit(hex[2 * bytes + 1]);
      if (high < 0 || low < 0) break;
      utf8[bytes] = (char)(high * 16 + low);
    }
    if (bytes == length / 2) {
      const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8, (int)bytes, NULL, 0);
      line = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, ((size_t)chars + 1) * sizeof(wchar_t));
      if (line != NULL) {
        MultiByteToWideChar(CP_UTF8, 0, utf8, (int)bytes, line, chars);
        line[chars] = L'\0';
      }
    }
  }
  if (hex != NULL) HeapFree(GetProcessHeap(), 0, hex);
  if (utf8 != NULL) HeapFree(GetProcessHeap(), 0, utf8);
  return line;
}

int main(void) {
  wchar_t* line = CommandLineFromEnvironment();
  if (line == NULL) {
    printf("launch failed: %ls is missing or not hexadecimal\n", kVariable);
    return 255;
  }
  /* The started program must not see how it was started. */
  SetEnvironmentVariableW(kVariable, NULL);
  STARTUPINFOW startup = {0};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
    printf("launch failed: %lu\n", GetLastError());
    return 255;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  printf("exit code: %lu\n", code);
  fflush(stdout);
  return (int)(code & 0xFF);
}
