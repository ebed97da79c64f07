#ifndef QUILL_RUNNER_RUN_SETTINGS_H_
#define QUILL_RUNNER_RUN_SETTINGS_H_

// The one reading of [Settings] into the run's settings, in the run's order
// and under its conditions: the run and the plan both read through it. The
// run's own work parts it in stretches (the system named, the log opened,
// the language looked up), and a key is read in the stretch the run reads it.
#include "base/run_context.h"
#include "platform/platform.h"

namespace quill {

enum class SettingsStretch {
  kBeforeLog,      // what names the system
  kAfterLog,       // the log's copy, the launch limits, AppInstlPath
  kAfterLanguage,  // the exit codes, the HashList, the Windows Installer wait
};

void ReadRunSettings(SettingsStretch stretch, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_RUN_SETTINGS_H_
