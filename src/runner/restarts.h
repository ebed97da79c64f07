#ifndef QUILL_RUNNER_RESTARTS_H_
#define QUILL_RUNNER_RESTARTS_H_

// A deployment carried across restarts, and what it remembers between them.
#include <cstdint>

#include "base/ini_keys.h"
#include "base/run_context.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/exit_codes.h"

namespace quill {

// What a deployment remembers across a restart: which input INI file, as it
// was then (size and write time), the restarts so far, the installer the
// run stopped after, and when the restart was asked for: only a Windows
// started after that has restarted. One text value under HKLM\Software\Quillrun, written in
// one piece, so that it is either whole or absent, and only administrators
// can change it.
constexpr int32_t kMostRestarts = MostOf(Key::kMaxRestarts);

extern const char16_t kMemoryKey[];
extern const char16_t kMemoryName[];
extern const char16_t kRunOnceKey[];
extern const char16_t kRunOnceName[];

struct DeploymentMemory {
  WString ini_path;  // made whole
  FileStamp stamp;
  int32_t restarts = 0;
  WalkPosition after;
  int64_t asked_at = 0;  // seconds since 1970, as the clock counts them
};

// "2;restarts;pass;stage;number;size;write time;asked at;path": the path
// last, since nothing inside it is read as a separator.
WString EncodeMemory(const DeploymentMemory& memory);
// False, and `memory` untouched, for anything EncodeMemory does not write.
bool DecodeMemory(const WString& text, DeploymentMemory* memory);

// The RunOnce command: the program in quotation marks, then the INI path as
// the command tail takes it, whole and unquoted.
WString ResumeCommand(const WString& program_path, const WString& ini_path);

// Whether the walk has passed `position` by the time it reaches `at`.
bool IsAtOrBefore(const WalkPosition& at, const WalkPosition& position);

// A deployment carried across restarts ([Settings] MaxRestarts=N, decided by
// the verdicts of LogExitCodes=1): an installer that needs a restart stops
// the run, which registers its resumption and restarts Windows, at most N
// times; the resumed run goes on after that installer. Without the key
// nothing here reads or writes anything outside the input INI file.
// Reads MaxRestarts and, when it is on, what the machine remembers of this
// deployment; tells in the log where the run resumes.
void PrepareRestarts(RunContext& context, Platform& platform);

// True for an installer that the run before the restart has started.
bool RanBeforeRestart(const WalkPosition& position, const RunContext& context);

// After an installer's verdict. False when the run ends here: its log is
// closed, and for "reboot required" Windows has been asked to restart.
bool GoesOnAfter(ExitVerdict verdict, const WalkPosition& position, const WString& app_section,
                 RunContext& context, Platform& platform);

// A resumption whose input INI file is gone or cannot be read finds nothing
// to resume: its memory and command are cleared, so that no later run takes
// them, and told in the log (at its default place when none is open).
void ForgetUnreadableDeployment(RunContext& context, Platform& platform);

// A run that ended normally leaves neither memory nor resumption behind.
void ForgetDeployment(const RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_RESTARTS_H_
