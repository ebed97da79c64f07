// quillplan's INI reader against the platform's GetPrivateProfileStringW,
// on generated files, under Wine: every answer must be the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/utf.h"
#include "ini_corpus.h"
#include "plan/windows/ini_file.h"
#include "wine_machine.h"

namespace quill::plan {
namespace {

using e2e::RunOptions;
using e2e::RunResult;
using e2e::WineMachine;

constexpr char kFolder[] = "C:\\inidiff";
constexpr size_t kFiles = 240;

std::string Hex(const std::string& bytes) {
  std::string hex;
  char digits[3];
  for (unsigned char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    hex += digits;
  }
  return hex;
}

std::string HexUnits(const WString& text) {
  std::string hex;
  char digits[5];
  for (char16_t unit : text) {
    std::snprintf(digits, sizeof digits, "%04x", static_cast<unsigned>(unit));
    hex += digits;
  }
  return hex;
}

// What the file looks like, for a message: control characters escaped.
std::string Shown(const std::string& bytes) {
  std::string shown;
  char escaped[8];
  for (unsigned char byte : bytes.substr(0, 600)) {
    if (byte == '\n' || (byte >= 0x20 && byte < 0x7F)) {
      shown += static_cast<char>(byte);
    } else {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    }
  }
  return shown;
}

TEST(IniDifferentialTest, ReaderGivesWhatThePlatformGives) {
  WineMachine& machine = WineMachine::Get();
  const std::vector<CorpusFile> corpus = MakeIniCorpus(kFiles, 20261207);
  std::string questions;
  size_t asked = 0;
  for (const CorpusFile& file : corpus) {
    const std::string path = std::string(kFolder) + "\\" + file.name;
    ASSERT_TRUE(machine.WriteFile(path, file.bytes));
    for (const ProfileQuestion& question : file.questions) {
      questions += std::to_string(question.buffer_chars) + "\t" + Hex(path) + "\t" +
                   Hex(ToUtf8(question.section)) + "\t" + Hex(ToUtf8(question.key)) + "\n";
      ++asked;
    }
  }
  ASSERT_TRUE(machine.WriteFile(std::string(kFolder) + "\\questions.txt", questions));
  ASSERT_TRUE(machine.CopyBuildFile("tools/profile_dump.exe", std::string(kFolder) + "\\profile_dump.exe"));

  RunOptions options;
  options.program = std::string(kFolder) + "\\profile_dump.exe";
  options.arguments = std::string(kFolder) + "\\questions.txt " + kFolder + "\\answers.txt";
  options.time_limit_seconds = 300;
  const RunResult result = machine.Run(options);
  ASSERT_TRUE(result.finished && result.exit_code == 0) << result.output;
  std::string answers;
  ASSERT_TRUE(machine.ReadFile(std::string(kFolder) + "\\answers.txt", &answers));

  std::istringstream lines(answers);
  size_t compared = 0;
  size_t differences = 0;
  for (const CorpusFile& file : corpus) {
    const IniFile ini = IniFile::FromBytes(file.bytes);
    for (const ProfileQuestion& question : file.questions) {
      std::string line;
      ASSERT_TRUE(std::getline(lines, line)) << "the platform answered only " << compared;
      const WString ours = ini.GetString(question.section, question.key, WString(), question.buffer_chars);
      const std::string expected = std::to_string(ours.size()) + "\t" + HexUnits(ours);
      ++compared;
      if (line == expected) continue;
      if (++differences > 20) continue;
      ADD_FAILURE() << file.name << ": [" << ToUtf8(question.section) << "] "
                    << ToUtf8(question.key) << " in a buffer of " << question.buffer_chars
                    << "\n  platform: " << line << "\n  quillplan: " << expected
                    << "\n  file:\n" << Shown(file.bytes);
    }
  }
  EXPECT_EQ(asked, compared);
  EXPECT_EQ(0u, differences) << "of " << compared << " answers";
  std::printf("[ ini-diff ] %zu files, %zu answers compared, %zu differ\n", corpus.size(), compared,
              differences);
}

}  // namespace
}  // namespace quill::plan
