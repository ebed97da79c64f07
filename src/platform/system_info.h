#ifndef QUILL_PLATFORM_SYSTEM_INFO_H_
#define QUILL_PLATFORM_SYSTEM_INFO_H_

// Why: the machine facts (Windows version, word size, locale) and the ANSI
// text rules belong to the system the program runs on, not to the program.
#include <cstdint>
#include <string>

#include "platform/wide_string.h"

namespace quill {

constexpr uint32_t kVersionRecordBytes = 284;
constexpr uint32_t kPlatformWin32Nt = 2;

// The three fields of the platform's version record that are read.
struct VersionRecord {
  uint32_t size = 0;  // set by the caller before the query
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t platform_id = 0;
};

// The version as the kernel tells it, which no compatibility shim caps:
// without a manifest the version record says 6.2 on every Windows from 8.
struct TrueVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;
  uint8_t product_type = 0;  // kProductWorkstation, ...; anything else unknown
};

constexpr uint8_t kProductWorkstation = 1;
constexpr uint8_t kProductDomainController = 2;
constexpr uint8_t kProductServer = 3;

// The machines Windows runs on, as the image headers name them.
constexpr uint16_t kMachineI386 = 0x014c;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The process's own 8-bit command line, program name included.
  virtual std::string CommandLine8() = 0;
  virtual bool QueryVersion(VersionRecord* record) = 0;
  // Whether the running system has the WOW64 query; looked up at run time.
  virtual bool HasIsWow64Process() = 0;
  // The WOW64 query for the own process; false when it fails.
  virtual bool QueryIsWow64(int32_t* wow64) = 0;
  // The kernel's own version query, looked up at run time; false where the
  // system lacks it or it fails.
  virtual bool QueryTrueVersion(TrueVersion* version) = 0;
  // Whether Windows has the query that names its own machine (Windows 10
  // from 1511); looked up at run time.
  virtual bool HasIsWow64Process2() = 0;
  // The machine Windows runs on, whatever the process's own; false when the
  // query fails.
  virtual bool QueryNativeMachine(uint16_t* machine) = 0;
  // True for a 64-bit build, which runs on 64-bit Windows by definition.
  virtual bool IsNative64BitProcess() = 0;
  virtual uint32_t UserDefaultLcid() = 0;
  // 8-bit text in the ANSI code page to UTF-16.
  virtual WString AnsiToWide(const std::string& text) = 0;
  // The platform's space classification, asked for characters above U+00FF.
  virtual bool IsSpace(char16_t c) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_SYSTEM_INFO_H_
