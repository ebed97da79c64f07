/* Runs a console program in a console of its own and writes down what that
 * console shows, read through the console's own interface: the test's eyes
 * on a Windows console, as xdotool is on a window.
 *   console_screen CODEPAGE SCREEN_FILE PROGRAM [ARGUMENT...]
 * The console shows bytes in CODEPAGE (as 437) and is 200 columns wide, so
 * lines do not wrap. SCREEN_FILE gets "code page: N" (as the console had it
 * once the program ended), then each line of the screen up to the cursor,
 * UTF-8, blanks at its end left out. Ends with the program's exit status,
 * or 255 when it could not be started. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

enum { kColumns = 200, kRows = 3000 };

/* One argument appended to a command line, quoted as the C runtime reads it
 * where it needs quotes (cmd.exe takes its own words only unquoted). */
static void AppendArgument(wchar_t* line, const wchar_t* argument) {
  size_t at = wcslen(line);
  if (at > 0) line[at++] = L' ';
  if (*argument != L'\0' && wcspbrk(argument, L" \t\"") == NULL) {
    wcscpy(line + at, argument);
    return;
  }
  line[at++] = L'"';
  for (const wchar_t* c = argument;; ++c) {
    size_t backslashes = 0;
    while (*c == L'\\') ++backslashes, ++c;
    /* Backslashes before a quotation mark, or before the closing one, double. */
    if (*c == L'\0' || *c == L'"') backslashes *= 2;
    while (backslashes-- > 0) line[at++] = L'\\';
    if (*c == L'\0') break;
    if (*c == L'"') line[at++] = L'\\';
    line[at++] = *c;
  }
  line[at++] = L'"';
  line[at] = L'\0';
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: console_screen CODEPAGE SCREEN_FILE PROGRAM [ARGUMENT...]\n");
    return 255;
  }
  size_t length = 1;
  for (int i = 3; i < argc; ++i) length += 2 * wcslen(argv[i]) + 4;
  wchar_t* line = (wchar_t*)calloc(length, sizeof(wchar_t));
  for (int i = 3; i < argc; ++i) AppendArgument(line, argv[i]);

  FreeConsole();
  if (!AllocConsole()) {
    fprintf(stderr, "console_screen: no console: error %lu\n", GetLastError());
    return 255;
  }
  SECURITY_ATTRIBUTES inherited = {sizeof(inherited), NULL, TRUE};
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, NULL);
  const HANDLE keys = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, NULL);
  const COORD size = {kColumns, kRows};
  SetConsoleScreenBufferSize(screen, size);
  SetConsoleOutputCP((UINT)_wtoi(argv[1]));
  SetConsoleCP((UINT)_wtoi(argv[1]));

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = keys;
  startup.hStdOutput = screen;
  startup.hStdError = screen;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "console_screen: cannot start %ls: error %lu\n", argv[3], GetLastError());
    return 255;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 255;
  GetExitCodeProcess(process.hProcess, &status);

  FILE* out = _wfopen(argv[2], L"wb");
  if (out == NULL) return 255;
  fprintf(out, "code page: %u\n", GetConsoleOutputCP());
  CONSOLE_SCREEN_BUFFER_INFO info;
  GetConsoleScreenBufferInfo(screen, &info);
  const SHORT rows = (SHORT)(info.dwCursorPosition.X > 0 ? info.dwCursorPosition.Y + 1
                                                         : info.dwCursorPosition.Y);
  wchar_t cells[kColumns];
  char utf8[4 * kColumns];
  for (SHORT row = 0; row < rows; ++row) {
    const COORD at = {0, row};
    DWORD read = 0;
    const DWORD width = info.dwSize.X < kColumns ? (DWORD)info.dwSize.X : kColumns;
    ReadConsoleOutputCharacterW(screen, cells, width, at, &read);
    while (read > 0 && cells[read - 1] == L' ') --read;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, cells, (int)read, utf8, sizeof(utf8), NULL, NULL);
    fwrite(utf8, 1, (size_t)bytes, out);
    fputc('\n', out);
  }
  fclose(out);
  return (int)status;
}
