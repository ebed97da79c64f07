#ifndef QUILL_RUNNER_DEPLOYMENT_MEMORY_H_
#define QUILL_RUNNER_DEPLOYMENT_MEMORY_H_

// What a deployment remembers across a restart: which input INI file, as it
// was then (size and write time), the restarts so far and the installer the
// run stopped after. One text value under HKLM\Software\Quillrun, written in
// one piece, so that it is either whole or absent, and only administrators
// can change it.
#include <cstdint>

#include "base/run_context.h"
#include "platform/file_system.h"
#include "platform/wide_string.h"

namespace quill {

constexpr int32_t kMostRestarts = 10;

extern const char16_t kMemoryKey[];
extern const char16_t kMemoryName[];
extern const char16_t kRunOnceKey[];
extern const char16_t kRunOnceName[];

struct DeploymentMemory {
  WString ini_path;  // made whole
  FileStamp stamp;
  int32_t restarts = 0;
  WalkPosition after;
};

// "1;restarts;pass;stage;number;size;write time;path": the path last, since
// nothing inside it is read as a separator.
WString EncodeMemory(const DeploymentMemory& memory);
// False, and `memory` untouched, for anything EncodeMemory does not write.
bool DecodeMemory(const WString& text, DeploymentMemory* memory);

// The RunOnce command: the program in quotation marks, then the INI path as
// the command tail takes it, whole and unquoted.
WString ResumeCommand(const WString& program_path, const WString& ini_path);

// Whether the walk has passed `position` by the time it reaches `at`.
bool IsAtOrBefore(const WalkPosition& at, const WalkPosition& position);

}  // namespace quill

#endif  // QUILL_RUNNER_DEPLOYMENT_MEMORY_H_
