#include "facts/newer_windows.h"

#include "base/ascii.h"

namespace quill {

const NewerSystem kNewerSystems[] = {
    {u"WIN7", 6, 1, 0, false},        {u"WIN8", 6, 2, 0, false},
    {u"WIN81", 6, 3, 0, false},       {u"WIN10", 10, 0, 10240, false},
    {u"WIN11", 10, 0, 22000, false},  {u"SRV2008R2", 6, 1, 0, true},
    {u"SRV2012", 6, 2, 0, true},      {u"SRV2012R2", 6, 3, 0, true},
    {u"SRV2016", 10, 0, 14393, true}, {u"SRV2019", 10, 0, 17763, true},
    {u"SRV2022", 10, 0, 20348, true}, {u"SRV2025", 10, 0, 26100, true},
};
const size_t kNewerSystemCount = sizeof kNewerSystems / sizeof kNewerSystems[0];

const char16_t* const kArchitectureWords[] = {u"X86", u"X64", u"ARM64"};
const size_t kArchitectureCount = sizeof kArchitectureWords / sizeof kArchitectureWords[0];

bool TurnsOnNewerWindows(const WString& value) { return value == u"1"; }

namespace {

// A domain controller is a server; a type Windows has never given is not
// taken for either.
bool ProductKind(uint8_t product_type, bool* server) {
  if (product_type == kProductWorkstation) {
    *server = false;
    return true;
  }
  if (product_type == kProductDomainController || product_type == kProductServer) {
    *server = true;
    return true;
  }
  return false;
}

// Where Windows cannot name its machine, the program's own question tells
// 64-bit from 32-bit; a question that fails names nothing.
WString Architecture(SystemInfo& system) {
  if (system.HasIsWow64Process2()) {
    uint16_t machine = 0;
    return system.QueryNativeMachine(&machine) ? ArchitectureWord(machine) : WString();
  }
  if (system.IsNative64BitProcess()) return u"X64";
  if (!system.HasIsWow64Process()) return WString();
  int32_t wow64 = 0;
  if (!system.QueryIsWow64(&wow64)) return WString();
  return wow64 != 0 ? u"X64" : u"X86";
}

}  // namespace

const NewerSystem* NewerSystemFor(const TrueVersion& version) {
  bool server = false;
  if (version.platform_id != kPlatformWin32Nt || !ProductKind(version.product_type, &server)) {
    return nullptr;
  }
  const NewerSystem* found = nullptr;
  for (const NewerSystem& row : kNewerSystems) {
    if (row.major != version.major || row.minor != version.minor || row.server != server) continue;
    if (version.build >= row.first_build) found = &row;
  }
  return found;
}

WString ArchitectureWord(uint16_t machine) {
  switch (machine) {
    case kMachineI386: return u"X86";
    case kMachineAmd64: return u"X64";
    case kMachineArm64: return u"ARM64";
  }
  return WString();
}

WString NewerWindowsWord(const WString& word, size_t* order) {
  const WString upper = UpperCaseAtoZ(word);
  for (size_t s = 0; s < kNewerSystemCount; ++s) {
    const WString system = kNewerSystems[s].word;
    if (upper.compare(0, system.size(), system) != 0) continue;
    for (size_t a = 0; a < kArchitectureCount; ++a) {
      if (upper.substr(system.size()) != kArchitectureWords[a]) continue;
      if (order != nullptr) *order = s * kArchitectureCount + a;
      return upper;
    }
  }
  return WString();
}

int NameNewerWindows(const TrueVersion& version, RunContext& context, SystemInfo& system) {
  const NewerSystem* named = NewerSystemFor(version);
  if (named == nullptr) return 0;
  const WString architecture = Architecture(system);
  if (architecture.empty()) return 0;
  context.OSType = named->word + architecture;
  return 1;
}

}  // namespace quill
