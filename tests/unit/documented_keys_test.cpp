#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/ini_keys.h"
#include "base/run_context.h"
#include "fake_platform.h"
#include "run/entry.h"
#include "runner/detection.h"
#include "runner/exit_codes.h"
#include "runner/launch_limits.h"
#include "runner/log_copy.h"
#include "runner/restarts.h"

namespace quill {
namespace {

// A row of a key table of docs/quillrun.md: key | in | default | bounds | example.
struct KeyRow {
  std::string key;
  std::string in;  // "[Settings]", "machine section", "application section"
  std::string default_value;
  std::string bounds;
  std::string example;
  bool opt_in = false;  // under "## Capabilities"
};

std::string Cell(std::string text) {
  const size_t from = text.find_first_not_of(' ');
  const size_t to = text.find_last_not_of(' ');
  text = from == std::string::npos ? "" : text.substr(from, to - from + 1);
  if (text.size() >= 2 && text.front() == '`' && text.back() == '`')
    text = text.substr(1, text.size() - 2);
  return text;
}

std::vector<KeyRow> DocumentedKeys() {
  std::ifstream file(QUILL_SOURCE_DIR "/docs/quillrun.md");
  EXPECT_TRUE(file) << "docs/quillrun.md cannot be read";
  std::vector<KeyRow> rows;
  bool in_table = false;
  bool opt_in = false;
  for (std::string line; std::getline(file, line);) {
    if (line == "## Capabilities") opt_in = true;
    if (line == "| key | in | default | bounds | example |") {
      in_table = true;
      continue;
    }
    if (line.rfind("|", 0) != 0) in_table = false;
    if (!in_table || line.rfind("| `", 0) != 0) continue;
    std::vector<std::string> cells;
    std::stringstream split(line.substr(1));
    for (std::string cell; std::getline(split, cell, '|');) cells.push_back(Cell(cell));
    EXPECT_EQ(cells.size(), 5u) << line;
    if (cells.size() != 5) continue;
    rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], opt_in});
  }
  return rows;
}

std::string ExampleOf(const std::vector<KeyRow>& rows, const std::string& key) {
  for (const KeyRow& row : rows) {
    if (row.key == key) return row.example;
  }
  ADD_FAILURE() << "docs/quillrun.md has no row for " << key;
  return "";
}

// A key read, and which kind of section it was read from, as the tables name them.
std::pair<std::string, std::string> ReadKey(const std::string& section, const std::string& key) {
  if (section == "Settings") return {key, "[Settings]"};
  if (section.rfind("0x", 0) == 0) {
    return {std::regex_match(key, std::regex("APP[0-9]+")) ? "APPn" : key, "machine section"};
  }
  return {key, "application section"};
}

// A run on a fake Windows XP machine whose input INI file sets every key to
// its example: every key the program reads, however deep, is asked for.
TEST(DocumentedKeysTest, EveryKeyTheProgramReadsHasItsRow) {
  const std::vector<KeyRow> rows = DocumentedKeys();
  ASSERT_FALSE(rows.empty());
  std::string settings = "[Settings]\n", application = "[" + ExampleOf(rows, "APPn") + "]\n";
  for (const KeyRow& row : rows) {
    if (row.in == "[Settings]") settings += row.key + "=" + row.example + "\n";
    if (row.in == "application section") application += row.key + "=" + row.example + "\n";
  }
  FakePlatform platform;
  platform.command_line = "C:\\Tools\\QUILLRUN.EXE C:\\Deploy\\deploy.ini";
  platform.AddLibrary(u"ZYLNT.DLL", {true, "PC42"});
  const std::string share = ExampleOf(rows, "AppInstlPath");
  const std::string log = ExampleOf(rows, "LogFile");
  platform.AddDirectory(u"C:\\Deploy");
  platform.AddDirectory(Widen(share));
  platform.AddDirectory(Widen(log.substr(0, log.rfind('\\'))));
  platform.AddFile(Widen(share + "\\LANG.INI"), "[12]\r\nLCID=0x409\r\n");
  // No folder "12" under AppPath: GlobalSwitches is read, and its installer ends.
  const std::string installer =
      ExampleOf(rows, "AppPath") + "\\" + ExampleOf(rows, "GlobalSwitches");
  platform.AddProgram(Widen(installer), 1);
  // The HashList vouches for the installer's bytes, so that it starts.
  platform.AddFile(Widen(installer.substr(0, installer.find(' '))), "x");
  platform.AddFile(Widen(ExampleOf(rows, "HashList")),
                   "2d711642b726b04401627ca9fbac32f5c8530fb1903cc4db02258717921a4881  " +
                       installer.substr(0, installer.find(' ')) + "\n");
  platform.AddIniFile(
      u"C:\\Deploy\\deploy.ini",
      Widen(settings + "[0xFFFF]\nAPP1=" + ExampleOf(rows, "APPn") + "\n" + application));
  RunContext context;
  RunFromCommandLine(context, platform);

  std::set<std::pair<std::string, std::string>> read, documented;
  const std::regex call("ReadPrivateProfileString \\[([^\\]]*)\\] (\\S+) .*");
  for (const std::string& made : platform.CallsNamed("ReadPrivateProfileString")) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(made, match, call)) << made;
    read.insert(ReadKey(match[1], match[2]));
  }
  for (const KeyRow& row : rows) documented.insert({row.key, row.in});
  for (const auto& [key, in] : read) {
    EXPECT_TRUE(documented.count({key, in}))
        << "read without its row in docs/quillrun.md: " << key << " in " << in;
  }
  for (const auto& [key, in] : documented) {
    EXPECT_TRUE(read.count({key, in}))
        << "a row of docs/quillrun.md the program never reads: " << key << " in " << in;
  }
}

// The table lint names misplaced keys from is the tables' rows, no more, no less.
TEST(DocumentedKeysTest, TheKeyPlacesAreTheDocumentedRows) {
  const char* const in[] = {"[Settings]", "machine section", "application section"};
  std::set<std::pair<std::string, std::string>> places, documented;
  for (const quill::KeyRow& row : kKeyRows) {
    for (KeyPlace place : {KeyPlace::kSettings, KeyPlace::kMachine, KeyPlace::kApplication}) {
      if ((row.places & InPlace(place)) != 0)
        places.insert({Narrow(row.name), in[static_cast<int>(place)]});
    }
  }
  for (const KeyRow& row : DocumentedKeys()) documented.insert({row.key, row.in});
  EXPECT_EQ(documented, places);
}

// The defaults and bounds the tables give, as the code has them: every key a
// capability adds has its facts here, each a text its default or bounds cell holds.
TEST(DocumentedKeysTest, DefaultsAndBoundsAreTheCodes) {
  auto number = [](int64_t value) { return std::to_string(value); };
  auto codes = [&](const std::vector<uint32_t>& list) {
    std::vector<std::string> texts;
    for (uint32_t code : list) texts.push_back(number(code));
    return texts;
  };
  struct Facts {
    std::vector<std::string> in_default;
    std::vector<std::string> in_bounds;
  };
  std::vector<std::string> success = codes(DefaultSuccessCodes());
  success.push_back(number(kRebootRequiredCode) + " success with a reboot required");
  success.push_back(number(kRebootStartedCode) + " with a reboot started");
  const std::map<std::string, Facts> facts = {
      {"MaxInstallTime", {{number(kDefaultMaxInstallTime)}, {}}},
      {"WaitForExit", {{"off"}, {"`1` turns it on"}}},
      {"NewerWindows", {{"off"}, {"`1` turns it on"}}},
      {"LogExitCodes", {{"off"}, {"`1` turns it on"}}},
      {"BusyCodes", {{number(kBusyCode)}, {}}},
      {"BusyRetries",
       {{"0"}, {"0 to " + number(kMostBusyRetries), "more counts as " + number(kMostBusyRetries)}}},
      {"BusyRetryPause",
       {{number(kDefaultBusyRetryPause)},
        {"0 to " + number(kLongestBusyRetryPause),
         "more counts as " + number(kLongestBusyRetryPause)}}},
      {"SuccessCodes", {success, {}}},
      {"MaxRestarts",
       {{"0"}, {"0 to " + number(kMostRestarts), "more counts as " + number(kMostRestarts)}}},
      {"DetectMsi", {{"none"}, {"comma-separated"}}},
      {"DetectFile", {{"none"}, {"four numbers of 0 to " + number(kLargestVersionPart)}}},
      {"DetectKey", {{"none"}, {"`HKLM\\`", "`HKEY_LOCAL_MACHINE\\`"}}},
      {"HashList", {{"off"}, {"sha256sum"}}},
      {"LogCopy", {{"off"}, {number(kLogCopySeconds) + " seconds"}}},
      {"WaitForChildren", {{}, {"`1`"}}},
      {"StopAtTimeLimit", {{}, {"`1`"}}},
      {"WaitForInstallerService",
       {{"0"},
        {"0 to " + number(kLongestInstallerServiceWait),
         "more counts as " + number(kLongestInstallerServiceWait)}}},
  };
  for (const KeyRow& row : DocumentedKeys()) {
    const auto found = facts.find(row.key);
    if (found == facts.end()) {
      EXPECT_FALSE(row.opt_in) << row.key << ": a capability's key without its facts here";
      continue;
    }
    for (const std::string& text : found->second.in_default) {
      EXPECT_NE(row.default_value.find(text), std::string::npos) << row.key << " default: " << text;
    }
    for (const std::string& text : found->second.in_bounds) {
      EXPECT_NE(row.bounds.find(text), std::string::npos) << row.key << " bounds: " << text;
    }
  }
}

}  // namespace
}  // namespace quill
