/* Runs one command line and tells what it cost, as Windows counts it:
 *   measure.exe COMMAND LINE...
 * The command line is the rest of measure.exe's own, unchanged. Prints
 * "wall_ms=N exit_code=N peak_working_set_kb=N peak_pagefile_kb=N". */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>

/* What follows the program name and the blanks after it. */
static wchar_t* CommandTail(wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line > L' ') ++line;
  }
  while (*line && *line <= L' ') ++line;
  return line;
}

int wmain(void) {
  wchar_t* command = CommandTail(GetCommandLineW());
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
    printf("launch failed: %lu\n", GetLastError());
    return 255;
  }
  /* Some systems keep no counters for a process that has ended: sample the
   * peaks while it runs. */
  SIZE_T peak_working_set = 0, peak_pagefile = 0;
  do {
    PROCESS_MEMORY_COUNTERS memory;
    ZeroMemory(&memory, sizeof memory);
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(info.hProcess, &memory, sizeof memory)) {
      if (memory.PeakWorkingSetSize > peak_working_set) peak_working_set = memory.PeakWorkingSetSize;
      if (memory.PeakPagefileUsage > peak_pagefile) peak_pagefile = memory.PeakPagefileUsage;
    }
  } while (WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT);
  QueryPerformanceCounter(&end);
  DWORD exit_code = 0;
  GetExitCodeProcess(info.hProcess, &exit_code);
  printf("wall_ms=%.0f exit_code=%lu peak_working_set_kb=%lu peak_pagefile_kb=%lu\n",
         (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart, exit_code,
         (unsigned long)(peak_working_set / 1024), (unsigned long)(peak_pagefile / 1024));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return 0;
}
