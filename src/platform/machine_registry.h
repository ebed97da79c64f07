#ifndef QUILL_PLATFORM_MACHINE_REGISTRY_H_
#define QUILL_PLATFORM_MACHINE_REGISTRY_H_

// Why: a deployment carried across a restart needs two things that only the
// machine keeps: the command Windows runs once when it starts again
// (RunOnce), and what the run must remember until then. Both are text
// values under HKEY_LOCAL_MACHINE, which only administrators can change, so
// no user can plant a command or steer a resumption. The tests keep them in
// memory.
#include "platform/wide_string.h"

namespace quill {

// Keys are paths below HKEY_LOCAL_MACHINE. On 64-bit Windows a 32-bit program
// reaches the same (64-bit) key as a 64-bit one: both builds share one memory,
// and Windows runs the RunOnce command whichever build wrote it.
class MachineRegistry {
 public:
  virtual ~MachineRegistry() = default;

  // False when the value is absent or cannot be read; one that is not text
  // (REG_EXPAND_SZ, a number) reads as empty, so that it is told, not
  // taken for absent.
  virtual bool ReadMachineValue(const WString& key, const WString& name, WString* data) = 0;
  // Creates the key when missing; true once the value is written and on disk.
  virtual bool WriteMachineValue(const WString& key, const WString& name, const WString& data) = 0;
  // True when the value is gone, whether or not it was there.
  virtual bool DeleteMachineValue(const WString& key, const WString& name) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_MACHINE_REGISTRY_H_
