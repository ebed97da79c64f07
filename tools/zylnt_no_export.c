/* An identity library without the entry point: it loads, and the program
 * must find no zylGetMachineId in it. */
#include <windows.h>

void __cdecl zylGetMachineName(char* buffer) {
  if (buffer != NULL) buffer[0] = '\0';
}
