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

}  // namespace
}  // namespace quill
