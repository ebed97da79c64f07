#ifndef QUILL_FACTS_SYSTEM_ID_H_
#define QUILL_FACTS_SYSTEM_ID_H_

// The machine identifier, asked of the outside identity library ZYLNT.DLL,
// which is loaded, called and released inside one call, with COM around it.
// It is loaded by full path from two places only: the running program's
// folder, then \SYSTEM.SAV\UTIL on the current drive.
#include "base/run_context.h"
#include "platform/platform.h"

namespace quill {

extern const char16_t kIdentityLibrary[];
extern const char16_t kIdentityLibraryFallback[];
extern const char kIdentityEntryPoint[];

// 1 with SystemID set to "0x" and the identifier; 1 with SystemID untouched
// when the library has no entry point; 0 when there is no library or no
// identifier.
int GetSystemID(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_FACTS_SYSTEM_ID_H_
