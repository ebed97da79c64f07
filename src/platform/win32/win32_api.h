#ifndef QUILL_PLATFORM_WIN32_WIN32_API_H_
#define QUILL_PLATFORM_WIN32_WIN32_API_H_

// <windows.h> for the files that also see the platform interface. The
// system headers define FreeModule as a macro for FreeLibrary, which would
// rewrite the interface's method of that name; include this instead.
// Only the core of the API: what else a file needs it includes itself.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef FreeModule

#endif  // QUILL_PLATFORM_WIN32_WIN32_API_H_
