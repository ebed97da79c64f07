#ifndef QUILL_PLATFORM_INSTALLED_STATE_H_
#define QUILL_PLATFORM_INSTALLED_STATE_H_

// Why: whether an application is installed already is the system's answer,
// not the program's: Windows Installer's product state, a file and its
// version resource, a key in either registry view. Each library it takes
// (msi.dll, version.dll) is loaded by full path from the system folder, and
// only when a rule asks, so a run without rules loads nothing new. A 32-bit
// program on 64-bit Windows looks at the file the administrator named:
// System32 is not redirected to SysWOW64 for the check.
#include <cstdint>

#include "platform/wide_string.h"

namespace quill {

enum class RegistryView { k64Bit, k32Bit };

// A file version's four numbers, most significant first.
struct FileVersion {
  uint16_t parts[4] = {0, 0, 0, 0};
};

class InstalledState {
 public:
  virtual ~InstalledState() = default;

  // The process's environment variables put in place of %NAME%; a name
  // that is not set stays as written.
  virtual WString ExpandEnvironment(const WString& text) = 0;
  // Windows Installer's own answer for a product code ("{...}" upper case):
  // true only when the product is installed; false when it is not or when
  // msi.dll cannot be loaded.
  virtual bool IsProductInstalled(const WString& product_code) = 0;
  // Whether the path names an existing file or folder, as written.
  virtual bool NativeFileExists(const WString& path) = 0;
  // The file's fixed version; false when it has no version resource.
  virtual bool NativeFileVersion(const WString& path, FileVersion* version) = 0;
  // Whether HKEY_LOCAL_MACHINE holds the key in that view.
  virtual bool LocalMachineKeyExists(const WString& subkey, RegistryView view) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_INSTALLED_STATE_H_
