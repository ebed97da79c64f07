/* Runs one command line and tells what it cost, as Windows counts it:
 *   measure.exe COMMAND LINE...
 * The command line is the rest of measure.exe's own, unchanged. With
 * MEASURE_TIMES=N it is run N times, one after the other, as a bare loop of
 * launches: the time is that of all N, and memory is not sampled. Prints
 * "wall_ms=N exit_code=N peak_working_set_kb=N peak_pagefile_kb=N". */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

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

/* Runs the command once and waits for its end, sampling its memory when
 * asked (which costs time of its own); false when it cannot start. */
static BOOL RunOnce(wchar_t* command, BOOL sample, DWORD* exit_code, SIZE_T* peak_working_set,
                    SIZE_T* peak_pagefile) {
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
    printf("launch failed: %lu\n", GetLastError());
    return FALSE;
  }
  if (!sample) {
    WaitForSingleObject(info.hProcess, INFINITE);
  } else {
    /* Some systems keep no counters for a process that has ended: sample
     * the peaks while it runs. */
    do {
      PROCESS_MEMORY_COUNTERS memory;
      ZeroMemory(&memory, sizeof memory);
      memory.cb = sizeof memory;
      if (GetProcessMemoryInfo(info.hProcess, &memory, sizeof memory)) {
        if (memory.PeakWorkingSetSize > *peak_working_set) *peak_working_set = memory.PeakWorkingSetSize;
        if (memory.PeakPagefileUsage > *peak_pagefile) *peak_pagefile = memory.PeakPagefileUsage;
      }
    } while (WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT);
  }
  GetExitCodeProcess(info.hProcess, exit_code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return TRUE;
}

int wmain(void) {
  wchar_t* command = CommandTail(GetCommandLineW());
  wchar_t times_text[16];
  int times = 1;
  const DWORD length = GetEnvironmentVariableW(L"MEASURE_TIMES", times_text, 16);
  if (length > 0 && length < 16) times = _wtoi(times_text);
  if (times < 1) times = 1;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  DWORD exit_code = 0;
  SIZE_T peak_working_set = 0, peak_pagefile = 0;
  for (int i = 0; i < times; ++i) {
    if (!RunOnce(command, times == 1, &exit_code, &peak_working_set, &peak_pagefile)) return 255;
  }
  QueryPerformanceCounter(&end);
  printf("wall_ms=%.0f exit_code=%lu peak_working_set_kb=%lu peak_pagefile_kb=%lu\n",
         (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart, exit_code,
         (unsigned long)(peak_working_set / 1024), (unsigned long)(peak_pagefile / 1024));
  return 0;
}
