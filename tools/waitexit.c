/* A stand-in installer.
 *   waitexit.exe SECONDS CODE   waits SECONDS (fractions allowed), then ends
 *                               with exit code CODE (any 32-bit value, 259 too).
 * Started with other arguments, say as a copy named SETUP.EXE, it takes
 * both from the file of its own name with ".ini" in place of ".exe":
 *   [Run]  Seconds=...  ExitCode=...   (both 0 when missing).
 * When QUILL_LAUNCH_LOG names a file, it first appends its own command line
 * (UTF-8) and a line feed to it, so a test can see what was started. */
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

static void RecordLaunch(void) {
  wchar_t log_path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"QUILL_LAUNCH_LOG", log_path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const wchar_t* line = GetCommandLineW();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, NULL, 0, NULL, NULL);
  if (bytes <= 0) return;
  char* text = (char*)HeapAlloc(GetProcessHeap(), 0, (size_t)bytes);
  if (text == NULL) return;
  WideCharToMultiByte(CP_UTF8, 0, line, -1, text, bytes, NULL, NULL);
  text[bytes - 1] = '\n';
  HANDLE file = CreateFileW(log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, text, (DWORD)bytes, &written, NULL);
    CloseHandle(file);
  }
  HeapFree(GetProcessHeap(), 0, text);
}

/* True when `text` is a number and nothing else. */
static int ParseSeconds(const wchar_t* text, double* seconds) {
  wchar_t* end = NULL;
  *seconds = wcstod(text, &end);
  return end != text && *end == L'\0' && *seconds >= 0;
}

static int ParseCode(const wchar_t* text, DWORD* code) {
  wchar_t* end = NULL;
  *code = (DWORD)wcstoul(text, &end, 10);
  return end != text && *end == L'\0';
}

static void SettingsFromIni(double* seconds, DWORD* code) {
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  wchar_t* dot = wcsrchr(path, L'.');
  if (dot == NULL || wcschr(dot, L'\\') != NULL) dot = path + length;
  wcscpy(dot, L".ini");
  wchar_t text[64];
  GetPrivateProfileStringW(L"Run", L"Seconds", L"0", text, 64, path);
  if (!ParseSeconds(text, seconds)) *seconds = 0;
  *code = (DWORD)GetPrivateProfileIntW(L"Run", L"ExitCode", 0, path);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR tail, int show) {
  (void)instance;
  (void)previous;
  (void)tail;
  (void)show;
  RecordLaunch();
  double seconds = 0;
  DWORD code = 0;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count != 3 || !ParseSeconds(arguments[1], &seconds) ||
      !ParseCode(arguments[2], &code)) {
    SettingsFromIni(&seconds, &code);
  }
  if (arguments != NULL) LocalFree(arguments);
  if (seconds > 0) Sleep((DWORD)(seconds * 1000.0));
  ExitProcess(code);
}
