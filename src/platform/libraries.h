#ifndef QUILL_PLATFORM_LIBRARIES_H_
#define QUILL_PLATFORM_LIBRARIES_H_

// Why: the machine identifier comes from an outside library that is loaded,
// called and released inside COM, by its full path from the folder of the
// running program; the tests stand in for it.
#include <cstdint>
#include <string>

#include "platform/wide_string.h"

namespace quill {

using LibraryHandle = uint64_t;
using ExportAddress = uint64_t;

constexpr size_t kMachineIdBufferBytes = 260;

class Libraries {
 public:
  virtual ~Libraries() = default;

  virtual void InitializeCom() = 0;
  virtual void UninitializeCom() = 0;
  // The full path of the running program's own file (its module file name),
  // however long; empty when the platform cannot give it.
  virtual WString RunningProgramPath() = 0;
  // 0 when the library cannot be loaded.
  virtual LibraryHandle LoadModule(const WString& path) = 0;
  // 0 when the library has no export of that 8-bit name.
  virtual ExportAddress FindExport(LibraryHandle library, const std::string& name) = 0;
  // Calls a machine-identity entry point, C calling convention, with a buffer
  // of kMachineIdBufferBytes.
  virtual void CallMachineIdEntry(ExportAddress entry, char* buffer) = 0;
  virtual void ReleaseModule(LibraryHandle library) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_LIBRARIES_H_
