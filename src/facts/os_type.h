#ifndef QUILL_FACTS_OS_TYPE_H_
#define QUILL_FACTS_OS_TYPE_H_

// Names the Windows version: "WINXP" for 5.1, "VISTA64" or "VISTA32" for 6.0,
// and with NewerWindows the systems after them (facts/newer_windows.h).
#include "base/run_context.h"
#include "platform/system_info.h"

namespace quill {

// 1 when OSType was set; 0 leaves it as it was.
int DetectOSType(RunContext& context, SystemInfo& system);

// 1 for a 32-bit process on 64-bit Windows; 0 otherwise or when unknown.
int RunsUnderWow64(SystemInfo& system);

}  // namespace quill

#endif  // QUILL_FACTS_OS_TYPE_H_
