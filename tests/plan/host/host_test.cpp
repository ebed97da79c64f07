// What differs between hosts, with the host faked: wildcards matched by a
// folder listing the test gives, a console that records what it is shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "plan/host/console.h"
#include "plan/host/host_path.h"
#include "plan/host/wildcards.h"

namespace quill::plan {
namespace {

// The host's answers by folder and pattern, and every question asked.
struct FakeFinder {
  std::map<std::pair<std::string, std::string>, std::vector<FoundName>> answers;
  std::vector<std::string> asked;
  FindNames Find() {
    return [this](const std::string& folder, const std::string& pattern) {
      asked.push_back(folder + "|" + pattern);
      const auto found = answers.find({folder, pattern});
      return found == answers.end() ? std::vector<FoundName>() : found->second;
    };
  }
};

TEST(WildcardsTest, ExpandedAsTheHostMatchesSortedWithoutRegardToCase) {
  FakeFinder host;
  host.answers[{"C:\\logs\\", "*.LOG"}] = {{"pc2.log"}, {"PC1.LOG"}, {"Pc10.log"}, {"old", true}};
  host.answers[{"\\\\server\\logs\\", "site-0*"}] = {{"site-02", true}, {"site-01", true}};
  host.answers[{"\\\\server\\logs\\site-01\\", "*.log"}] = {{"b.log"}, {"A.log"}};
  host.answers[{"\\\\server\\logs\\site-02\\", "*.log"}] = {{"c.log"}};
  host.answers[{"", "Réseau?.ini"}] = {{"réseau2.ini"}, {"RÉSEAU1.ini"}};
  host.answers[{"C:/a/", "x*"}] = {{"x1"}, {"x2", true}};
  struct Row {
    std::string path;
    std::vector<std::string> paths;
    std::vector<std::string> asked;
  } rows[] = {
      {"C:\\logs\\*.LOG",
       {"C:\\logs\\old", "C:\\logs\\PC1.LOG", "C:\\logs\\Pc10.log", "C:\\logs\\pc2.log"},
       {"C:\\logs\\|*.LOG"}},
      // Folders matched on the way: only folders lead on, each listed in turn.
      {"\\\\server\\logs\\site-0*\\*.log",
       {"\\\\server\\logs\\site-01\\A.log", "\\\\server\\logs\\site-01\\b.log",
        "\\\\server\\logs\\site-02\\c.log"},
       {"\\\\server\\logs\\|site-0*", "\\\\server\\logs\\site-01\\|*.log",
        "\\\\server\\logs\\site-02\\|*.log"}},
      {"C:/a/x*/*", {}, {"C:/a/|x*", "C:/a/x2/|*"}},
      {"Réseau?.ini", {"RÉSEAU1.ini", "réseau2.ini"}, {"|Réseau?.ini"}},
      {"C:\\logs\\none*.txt", {}, {"C:\\logs\\|none*.txt"}},
      // No wildcard below the root: the path as given, the host not asked.
      {"C:\\logs\\PC1.LOG", {"C:\\logs\\PC1.LOG"}, {}},
      {"\\\\?\\C:\\logs", {"\\\\?\\C:\\logs"}, {}},
      {"\\\\serv*\\share\\x.log", {"\\\\serv*\\share\\x.log"}, {}},
      {"\\\\server\\sha*\\x.log", {"\\\\server\\sha*\\x.log"}, {}},
  };
  for (const Row& row : rows) {
    host.asked.clear();
    EXPECT_EQ(ExpandWildcards(row.path, host.Find()), row.paths) << row.path;
    EXPECT_EQ(host.asked, row.asked) << row.path;
  }
}

// The build's choice on this host: the shell has expanded what it would, so
// a pattern that reaches the tool was quoted, or is a file's name, and is
// taken as typed; matched again, it would name other files too.
TEST(WildcardsTest, ThisHostTakesArgumentsAsGiven) {
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / "quill_wildcards_as_given";
  std::filesystem::create_directories(folder);
  for (const char* name : {"a.LOG", "b.LOG", "*.LOG"}) std::ofstream(folder / name) << name;
  const std::string pattern = (folder / "*.LOG").string();
  EXPECT_EQ(MakeWildcards()->Expand(pattern), std::vector<std::string>{pattern});
  std::filesystem::remove_all(folder);
}

TEST(HostPathTest, ExtendedLengthPrefixForFullPathsOnly) {
  const std::pair<WString, WString> rows[] = {
      {u"C:\\logs\\a.log", u"\\\\?\\C:\\logs\\a.log"},
      {u"\\\\server\\share\\a.log", u"\\\\?\\UNC\\server\\share\\a.log"},
      {u"\\\\?\\C:\\a.log", u"\\\\?\\C:\\a.log"},
      {u"\\\\.\\pipe\\x", u"\\\\.\\pipe\\x"},
      {u"logs\\a.log", u"logs\\a.log"},
      {u"C:a.log", u"C:a.log"},
  };
  for (const auto& [full, extended] : rows) {
    EXPECT_EQ(ToUtf8(ExtendedLengthPath(full)), ToUtf8(extended)) << ToUtf8(full);
  }
}

// Records what it is shown; fails every write from `fail_from` on.
class FakeConsole : public Console {
 public:
  bool Write(const WString& text) override {
    if (writes.size() >= fail_from) return false;
    writes.push_back(ToUtf8(text));
    return true;
  }
  std::vector<std::string> writes;
  size_t fail_from = SIZE_MAX;
};

TEST(ConsoleBufferTest, WholeCharactersOnlyWhateverTheWritesCut) {
  const std::string text = "Réseau 網路 \xF0\x9F\x96\xA7 ok\n";
  for (size_t cut = 1; cut < text.size(); ++cut) {
    FakeConsole console;
    {
      ConsoleBuffer buffer(console);
      std::ostream out(&buffer);
      out << text.substr(0, cut) << std::flush << text.substr(cut) << std::flush;
    }
    std::string shown;
    for (const std::string& write : console.writes) shown += write;
    EXPECT_EQ(shown, text) << "cut at " << cut;
    EXPECT_LE(console.writes.size(), 2u);
  }
}

TEST(ConsoleBufferTest, AFailedWriteFailsTheStream) {
  FakeConsole console;
  console.fail_from = 1;
  ConsoleBuffer buffer(console);
  std::ostream out(&buffer);
  EXPECT_TRUE(out << "first" << std::flush);
  EXPECT_FALSE(out << "second" << std::flush);
  EXPECT_EQ(console.writes, std::vector<std::string>{"first"});
}

}  // namespace
}  // namespace quill::plan
