/* A stand-in installer that leaves footprints, so a test can tell which
 * program ran, and whether it is still running:
 *   footprint.exe [SECONDS [CODE]]
 * appends "start " and its command line (UTF-8) to the file of its own
 * path with ".ran" added, waits SECONDS (fractions allowed), appends
 * "end", and ends with exit code CODE. Other arguments count as 0 and 0. */
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void Append(const wchar_t* path, const char* head, const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
  const size_t head_length = strlen(head);
  char* line = (char*)HeapAlloc(GetProcessHeap(), 0, head_length + (size_t)bytes + 1);
  if (bytes <= 0 || line == NULL) return;
  memcpy(line, head, head_length);
  WideCharToMultiByte(CP_UTF8, 0, text, -1, line + head_length, bytes, NULL, NULL);
  const DWORD length = (DWORD)(head_length + (size_t)bytes);
  line[length - 1] = '\n';
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line, length, &written, NULL);
    CloseHandle(file);
  }
  HeapFree(GetProcessHeap(), 0, line);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)tail;
  (void)show;
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  wcscpy(path + length, L".ran");
  Append(path, "start ", GetCommandLineW());

  double seconds = 0;
  DWORD code = 0;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments != NULL && count >= 2 && count <= 3) {
    wchar_t* end = NULL;
    seconds = wcstod(arguments[1], &end);
    if (end == arguments[1] || *end != L'\0' || seconds < 0) seconds = 0;
    if (count == 3) code = (DWORD)wcstoul(arguments[2], NULL, 10);
  }
  if (arguments != NULL) LocalFree(arguments);
  if (seconds > 0) Sleep((DWORD)(seconds * 1000.0));
  Append(path, "end", L"");
  ExitProcess(code);
}
