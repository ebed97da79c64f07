#ifndef QUILL_RUNNER_INSTALL_PASS_H_
#define QUILL_RUNNER_INSTALL_PASS_H_

// One walk over the application lists that apply to this machine: the common
// section, then the machine section, each from APP1 to the first empty value.
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

extern const char16_t kCommonSection[];

// The list sections of a pass: pass 1 adds "_" and OSType to both names.
WString CommonListSection(int pass, const RunContext& context);
WString MachineListSection(int pass, const RunContext& context);

// Launches the pass's applications one after another; always gives 1.
int RunInstallPass(int pass, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_INSTALL_PASS_H_
