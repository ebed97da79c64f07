#ifndef QUILL_FACTS_NEWER_WINDOWS_H_
#define QUILL_FACTS_NEWER_WINDOWS_H_

// The Windows after Vista, named only when [Settings] NewerWindows=1 asks:
// a system word and the architecture Windows runs on ("WIN10X64"). The
// names are fixed, for administrators' INI files.
#include <cstddef>
#include <cstdint>

#include "base/run_context.h"
#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

bool TurnsOnNewerWindows(const WString& value);

// A system word and the versions behind it: from `first_build` of its
// major.minor up to the next row's.
struct NewerSystem {
  const char16_t* word;
  uint32_t major;
  uint32_t minor;
  uint32_t first_build;
  bool server;
};

// Clients first, each kind in the order it came out.
extern const NewerSystem kNewerSystems[];
extern const size_t kNewerSystemCount;
extern const char16_t* const kArchitectureWords[];
extern const size_t kArchitectureCount;

// The row for a true version; null for none of them.
const NewerSystem* NewerSystemFor(const TrueVersion& version);

// "X86", "X64", "ARM64" for the machine Windows runs on; empty for another.
WString ArchitectureWord(uint16_t machine);

// A word upper-cased when it is a system word and an architecture; empty
// otherwise. `order` gets its place in the names list.
WString NewerWindowsWord(const WString& word, size_t* order = nullptr);

// The name of a Windows from its true version: 1 with OSType set, 0 when
// the version, its product type or the architecture is none that is named.
int NameNewerWindows(const TrueVersion& version, RunContext& context, SystemInfo& system);

}  // namespace quill

#endif  // QUILL_FACTS_NEWER_WINDOWS_H_
