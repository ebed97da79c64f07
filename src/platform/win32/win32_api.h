#ifndef QUILL_PLATFORM_WIN32_WIN32_API_H_
#define QUILL_PLATFORM_WIN32_WIN32_API_H_

// <windows.h> for the platform's files: only the core of the API; what else
// a file needs it includes itself.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#endif  // QUILL_PLATFORM_WIN32_WIN32_API_H_
