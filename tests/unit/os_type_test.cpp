#include <gtest/gtest.h>

#include "fake_platform.h"
#include "facts/os_type.h"

namespace quill {
namespace {

TEST(OsTypeTest, AllCases) {
  struct Case {
    uint32_t platform_id;
    uint32_t major;
    uint32_t minor;
    bool query_fails;
    bool has_wow64_query;
    int32_t wow64;
    bool native_64bit;
    int result;
    WString os_type;
    bool wow64_asked;
  };
  const Case cases[] = {
      {2, 5, 1, false, true, 1, false, 1, u"WINXP", false},
      {2, 6, 0, false, true, 1, false, 1, u"VISTA64", true},
      {2, 6, 0, false, true, 0, false, 1, u"VISTA32", true},
      {2, 6, 0, false, false, 1, false, 1, u"VISTA32", false},
      {2, 6, 0, false, true, 0, true, 1, u"VISTA64", false},
      {2, 5, 0, false, true, 1, false, 0, u"", false},
      {2, 5, 2, false, true, 1, false, 0, u"", false},
      {2, 6, 1, false, true, 1, false, 0, u"", false},
      {2, 10, 0, false, true, 1, false, 0, u"", false},
      {1, 5, 1, false, true, 1, false, 0, u"", false},
      {1, 6, 0, false, true, 1, false, 0, u"", false},
      {2, 5, 1, true, true, 1, false, 0, u"", false},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.version = {kVersionRecordBytes, c.major, c.minor, c.platform_id};
    if (c.query_fails) platform.FailOn("QueryVersion");
    platform.has_is_wow64 = c.has_wow64_query;
    platform.wow64 = c.wow64;
    platform.native_64bit = c.native_64bit;
    RunContext context;
    const std::string label = std::to_string(c.platform_id) + " " + std::to_string(c.major) +
                              "." + std::to_string(c.minor);
    EXPECT_EQ(c.result, DetectOSType(context, platform)) << label;
    EXPECT_EQ(c.os_type, context.OSType) << label;
    EXPECT_EQ(c.wow64_asked, !platform.CallsNamed("QueryIsWow64").empty()) << label;
    EXPECT_EQ("QueryVersion 284", platform.calls().front()) << label;
  }
}

TEST(OsTypeTest, UnrecognisedVersionLeavesOSTypeAsItWas) {
  FakePlatform platform;
  platform.version = {kVersionRecordBytes, 6, 1, 2};
  RunContext context;
  context.OSType = u"WINXP";
  EXPECT_EQ(0, DetectOSType(context, platform));
  EXPECT_EQ(u"WINXP", context.OSType);
}

TEST(OsTypeTest, FailingWow64QueryCountsAsNotUnderWow64) {
  FakePlatform platform;
  platform.wow64 = 1;
  platform.FailOn("QueryIsWow64");
  EXPECT_EQ(0, RunsUnderWow64(platform));
}

// With NewerWindows the kernel's version names the system and the machine
// Windows runs on its architecture; what cannot be told names nothing.
TEST(OsTypeTest, NewerWindowsByTrueVersion) {
  constexpr uint8_t kWs = kProductWorkstation, kDc = kProductDomainController,
                    kSrv = kProductServer;
  constexpr uint16_t kI386 = kMachineI386, kAmd64 = kMachineAmd64, kArm64 = kMachineArm64;
  struct Case {
    uint32_t major, minor, build;
    uint8_t product;
    bool has_wow64_2;  // else the program's own questions: wow64, native 64-bit
    uint16_t machine;
    int32_t wow64;
    bool native_64bit;
    WString os_type;
  };
  const Case cases[] = {
      {6, 1, 7601, kWs, false, 0, 1, false, u"WIN7X64"},
      {6, 1, 7601, kWs, false, 0, 0, false, u"WIN7X86"},
      {6, 1, 7601, kWs, false, 0, 0, true, u"WIN7X64"},
      {6, 2, 9200, kWs, false, 0, 1, false, u"WIN8X64"},
      {6, 3, 9600, kWs, false, 0, 0, false, u"WIN81X86"},
      {10, 0, 10240, kWs, true, kI386, 0, false, u"WIN10X86"},
      {10, 0, 19045, kWs, true, kAmd64, 1, false, u"WIN10X64"},
      {10, 0, 21999, kWs, true, kArm64, 1, false, u"WIN10ARM64"},
      {10, 0, 22000, kWs, true, kAmd64, 1, false, u"WIN11X64"},
      {10, 0, 26100, kWs, true, kArm64, 0, true, u"WIN11ARM64"},
      {10, 0, 10239, kWs, true, kAmd64, 1, false, u""},  // a preview before the release
      {6, 1, 7601, kSrv, false, 0, 0, true, u"SRV2008R2X64"},
      {6, 2, 9200, kDc, false, 0, 1, false, u"SRV2012X64"},
      {6, 3, 9600, kSrv, false, 0, 1, false, u"SRV2012R2X64"},
      {10, 0, 14392, kSrv, true, kAmd64, 1, false, u""},
      {10, 0, 14393, kSrv, true, kAmd64, 1, false, u"SRV2016X64"},
      {10, 0, 17762, kDc, true, kAmd64, 1, false, u"SRV2016X64"},
      {10, 0, 17763, kSrv, true, kAmd64, 1, false, u"SRV2019X64"},
      {10, 0, 20348, kDc, true, kAmd64, 0, true, u"SRV2022X64"},
      {10, 0, 26099, kSrv, true, kAmd64, 1, false, u"SRV2022X64"},
      {10, 0, 26100, kSrv, true, kArm64, 1, false, u"SRV2025ARM64"},
      {10, 0, 22000, 0, true, kAmd64, 1, false, u""},  // a product type never given
      {10, 0, 22000, 4, true, kAmd64, 1, false, u""},
      {10, 0, 19045, kWs, true, 0x0200, 1, false, u""},  // Itanium: no name
      {6, 4, 9841, kWs, true, kAmd64, 1, false, u""},    // the 6.4 previews
      {10, 1, 30000, kWs, true, kAmd64, 1, false, u""},
      {11, 0, 30000, kWs, true, kAmd64, 1, false, u""},
      {5, 2, 3790, kSrv, false, 0, 1, false, u""},  // Server 2003, XP x64
      {5, 1, 2600, kWs, false, 0, 1, false, u"WINXP"},
      {6, 0, 6002, kSrv, false, 0, 1, false, u"VISTA64"},  // Server 2008 stays Vista
      {6, 0, 6002, kWs, false, 0, 0, false, u"VISTA32"},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.version = {kVersionRecordBytes, 6, 2, kPlatformWin32Nt};  // as capped
    platform.true_version = {c.major, c.minor, c.build, kPlatformWin32Nt, c.product};
    platform.has_is_wow64_2 = c.has_wow64_2;
    platform.native_machine = c.machine;
    platform.wow64 = c.wow64;
    platform.native_64bit = c.native_64bit;
    RunContext context;
    context.NewerWindows = true;
    const std::string label = std::to_string(c.major) + "." + std::to_string(c.minor) + "." +
                              std::to_string(c.build) + " type " + std::to_string(c.product);
    EXPECT_EQ(c.os_type.empty() ? 0 : 1, DetectOSType(context, platform)) << label;
    EXPECT_EQ(c.os_type, context.OSType) << label;
    EXPECT_TRUE(platform.CallsNamed("QueryVersion").empty()) << label;
  }
}

// The version record's answer stands where the key is off or the kernel
// cannot be asked; a record capped at 6.2 names nothing.
TEST(OsTypeTest, NewerWindowsFallsBackToTheVersionRecord) {
  struct Case {
    bool key;
    bool true_version_fails;
    uint32_t record_minor;
    WString os_type;
    bool kernel_asked;
  };
  const Case cases[] = {
      {false, false, 2, u"", false},       {false, false, 0, u"VISTA64", false},
      {true, true, 2, u"", true},          {true, true, 0, u"VISTA64", true},
      {true, false, 2, u"WIN11X64", true},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.version = {kVersionRecordBytes, 6, c.record_minor, kPlatformWin32Nt};
    platform.true_version = {10, 0, 22631, kPlatformWin32Nt, kProductWorkstation};
    platform.has_is_wow64_2 = true;
    platform.wow64 = 1;
    if (c.true_version_fails) platform.FailOn("QueryTrueVersion");
    RunContext context;
    context.NewerWindows = c.key;
    DetectOSType(context, platform);
    EXPECT_EQ(c.os_type, context.OSType) << c.key << c.true_version_fails << c.record_minor;
    EXPECT_EQ(c.kernel_asked, !platform.CallsNamed("QueryTrueVersion").empty());
  }
}

// An architecture that cannot be told names no system.
TEST(OsTypeTest, NewerWindowsWithoutAnArchitectureIsUnnamed) {
  for (const char* failing : {"QueryNativeMachine", "QueryIsWow64"}) {
    FakePlatform platform;
    platform.true_version = {6, 1, 7601, kPlatformWin32Nt, kProductWorkstation};
    platform.has_is_wow64_2 = std::string(failing) == "QueryNativeMachine";
    platform.FailOn(failing);
    RunContext context;
    context.NewerWindows = true;
    EXPECT_EQ(0, DetectOSType(context, platform)) << failing;
    EXPECT_EQ(u"", context.OSType) << failing;
  }
}

}  // namespace
}  // namespace quill
