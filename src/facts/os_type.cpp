#include "facts/os_type.h"

#include "facts/newer_windows.h"

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

// XP and Vista keep their words whichever query told the version.
int NameXpOrVista(uint32_t platform_id, uint32_t major, uint32_t minor, RunContext& context,
                  SystemInfo& system) {
  if (platform_id != kPlatformWin32Nt) return 0;
  if (major == 5 && minor == 1) {
    context.OSType = u"WINXP";
    return 1;
  }
  if (major == 6 && minor == 0) {
    context.OSType = RunsOn64BitWindows(system) ? u"VISTA64" : u"VISTA32";
    return 1;
  }
  return 0;
}

}  // namespace

int DetectOSType(RunContext& context, SystemInfo& system) {
  // Without the kernel's answer the version record's is taken, which names
  // nothing after Vista: a capped version is never believed.
  TrueVersion truth;
  if (context.NewerWindows && system.QueryTrueVersion(&truth)) {
    if (NameXpOrVista(truth.platform_id, truth.major, truth.minor, context, system)) return 1;
    return NameNewerWindows(truth, context, system);
  }
  VersionRecord version;
  version.size = kVersionRecordBytes;
  if (!system.QueryVersion(&version)) return 0;
  return NameXpOrVista(version.platform_id, version.major, version.minor, context, system);
}

}  // namespace quill
