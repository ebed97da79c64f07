// A whole run with 2,000 applications in one list that all end at once, and
// one whose language table has 10,000 sections with the match in the last.
// The log is checked record by record; the run's own cost is printed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "large_language_table.h"
#include "run/entry.h"

namespace quill {
namespace {

constexpr char kLogPath[] = "C:\\Share\\RUN.LOG";

struct LoadMachine {
  LoadMachine(const WString& lists, const std::string& table) {
    platform.command_line = "QUILLRUN.EXE C:\\Share\\deploy.ini";
    platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
    platform.AddDirectory(u"C:\\Share");
    platform.AddFile(u"C:\\Share\\LANG.INI", table);
    platform.AddIniFile(
        u"C:\\Share\\deploy.ini",
        u"[Settings]\nAppInstlPath=C:\\Share\nLogFile=C:\\Share\\RUN.LOG\n" + lists);
  }
  int Run() { return RunFromCommandLine(context, platform); }
  // The log's lines, without their CR LF; a line without one is kept as is.
  std::vector<std::string> LogLines() const {
    const std::string bytes = platform.FileBytes(Widen(kLogPath));
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2) {
      lines.push_back(bytes.substr(from, end - from));
    }
    if (from < bytes.size()) lines.push_back(bytes.substr(from));
    return lines;
  }
  FakePlatform platform;
  RunContext context;
};

bool IsStamped(const std::string& line, const std::string& label) {
  return line.rfind(label, 0) == 0 && line.size() > label.size() + 20 &&
         line.compare(line.size() - 6, 6, ", 2026") == 0;
}

TEST(LoadTest, TwoThousandApplicationsGiveTenThousandRecordsInOrder) {
  constexpr int kApps = 2000;
  std::string list = "[0xFFFF]\n";
  std::string sections;
  for (int i = 1; i <= kApps; ++i) {
    const std::string n = std::to_string(i);
    list += "APP" + n + "=App" + n + "\n";
    sections += "[App" + n + "]\nAppPath=C:\\Apps\\Quick\nAppSwitches=quick.exe /i " + n + "\n";
  }
  LoadMachine m(Widen(list + sections), "[12]\r\nLCID=0x409\r\n");
  for (int i = 1; i <= kApps; ++i) {
    m.platform.AddProgram(Widen("C:\\Apps\\Quick\\quick.exe /i " + std::to_string(i)), 0);
  }

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(1, m.Run());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const std::vector<std::string> lines = m.LogLines();
  constexpr size_t kOpening = 9;  // banner, identity and language records, blank lines
  ASSERT_EQ(kOpening + 6u * kApps, lines.size());
  EXPECT_EQ("Language Code => 12", lines[kOpening - 2]);
  int records = 0;
  for (int i = 1; i <= kApps; ++i) {
    const size_t at = kOpening + 6u * static_cast<size_t>(i - 1);
    const std::string n = std::to_string(i);
    SCOPED_TRACE("application " + n);
    EXPECT_EQ("Processing: SysID => \"0xFFFF\", Application => \"App" + n + "\"", lines[at]);
    EXPECT_EQ("LAUNCHED => \"C:\\Apps\\Quick\\quick.exe /i " + n + "\"", lines[at + 1]);
    EXPECT_TRUE(IsStamped(lines[at + 2], "START:: ")) << lines[at + 2];
    EXPECT_TRUE(IsStamped(lines[at + 3], "END  :: ")) << lines[at + 3];
    EXPECT_EQ("RESULT   => Command finished in less than 1 seconds.", lines[at + 4]);
    EXPECT_EQ("", lines[at + 5]);
    if (HasFailure()) break;
    records += 5;
  }
  EXPECT_EQ(5 * kApps, records);
  EXPECT_EQ(static_cast<size_t>(kApps), m.platform.CallsNamed("StartProcess").size());
  EXPECT_EQ(0, m.platform.open_process_handles());
  std::printf(
      "[ figures  ] %d applications, %d records: %.3f s of the program's own work, "
      "%.1f us per application beyond its 1 s pause\n",
      kApps, records, seconds, seconds * 1e6 / kApps);
}

TEST(LoadTest, LanguageTableOfTenThousandSectionsMatchesInTheLast) {
  constexpr int kSections = 10000;
  const std::string table = LanguageTableMatchingInTheLast(kSections);
  LoadMachine m(u"", table);
  EXPECT_EQ(1, m.Run());
  const std::vector<std::string> lines = m.LogLines();
  ASSERT_EQ(9u, lines.size());
  EXPECT_EQ("LCID          => 0x409", lines[6]);
  EXPECT_EQ("Language Code => LAST", lines[7]);
}

}  // namespace
}  // namespace quill
