// Load under Wine: many applications in one list, and a large language
// table. The runs are compared whole, and their figures printed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "../hardening/large_language_table.h"
#include "deployment.h"
#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

using LoadRun = Deployment;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(LoadRun, ThirtyApplicationsThatEndAtOnceAreLoggedInOrder) {
  // Each pauses 1 s before its first question, so 30 s is the floor; what
  // lies beyond it is the program's own cost, Wine's process starts included.
  constexpr int kApps = 30;
  std::string list = "[0xFFFF]\r\n";
  std::string sections;
  std::string expected = Opening("0xPC42", "WINXP") + Language("0x409", "12");
  const std::string command = apps() + "\\Quick\\waitexit.exe 0 0";
  for (int i = 1; i <= kApps; ++i) {
    const std::string app = "App" + std::to_string(i);
    list += "APP" + std::to_string(i) + "=" + app + "\r\n";
    sections +=
        "[" + app + "]\r\nAppPath=" + apps() + "\\Quick\r\nAppSwitches=waitexit.exe 0 0\r\n";
    expected += Application("0xFFFF", app, command, kQuick);
  }
  ASSERT_TRUE(machine().WriteFile(ini(), Ini(list + sections)));
  ASSERT_TRUE(machine().CopyBuildFile("tools/waitexit.exe", apps() + "\\Quick\\waitexit.exe"));

  const auto start = std::chrono::steady_clock::now();
  const RunResult result = RunQuill();
  const double seconds = SecondsSince(start);
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  // The log says only that a start failed; Wine's own words are in the output.
  EXPECT_EQ(expected, LogText()) << result.output;
  const double own_ms = (seconds - kApps) * 1000 / kApps;
  std::printf(
      "[ figures  ] %d applications in %.1f s against %d s of pauses: %.0f ms per "
      "application beyond its pause\n",
      kApps, seconds, kApps, own_ms);
  RecordProperty("ms_per_application_beyond_pauses", static_cast<int>(own_ms));
  EXPECT_LT(own_ms, 1000) << "the program's own cost per application";
}

TEST_F(LoadRun, LanguageTableOfTenThousandSectionsMatchesInTheLast) {
  constexpr int kSections = 10000;
  const std::string table = LanguageTableMatchingInTheLast(kSections);
  ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", table));
  ASSERT_TRUE(machine().WriteFile(ini(), Ini("")));

  const auto start = std::chrono::steady_clock::now();
  const RunResult result = RunQuill();
  const double seconds = SecondsSince(start);
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  EXPECT_EQ(Opening("0xPC42", "WINXP") + Language("0x409", "LAST"), LogText());
  std::printf(
      "[ figures  ] a run with a language table of %d sections (%zu bytes), the match "
      "in the last: %.2f s\n",
      kSections, table.size(), seconds);
}

}  // namespace
}  // namespace quill::e2e
