#include "facts/os_type.h"

namespace quill {

int RunsUnderWow64(SystemInfo& system) {
  if (!system.HasIsWow64Process()) return 0;
  int32_t wow64 = 0;
  if (!system.QueryIsWow64(&wow64)) return 0;
  return wow64 != 0 ? 1 : 0;
}

namespace {

// A 64-bit build runs on 64-bit Windows by definition.
bool RunsOn64BitWindows(SystemInfo& system) {
  return system.IsNative64BitProcess() || RunsUnderWow64(system) == 1;
}

}  // namespace

int DetectOSType(RunContext& context, SystemInfo& system) {
  VersionRecord version;
  version.size = kVersionRecordBytes;
  if (!system.QueryVersion(&version)) return 0;
  if (version.platform_id != kPlatformWin32Nt) return 0;
  if (version.major == 5 && version.minor == 1) {
    context.OSType = u"WINXP";
    return 1;
  }
  if (version.major == 6 && version.minor == 0) {
    context.OSType = RunsOn64BitWindows(system) ? u"VISTA64" : u"VISTA32";
    return 1;
  }
  return 0;
}

}  // namespace quill
