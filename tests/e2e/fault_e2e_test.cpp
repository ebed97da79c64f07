// Whole runs of QUILLRUN.EXE under Wine when the machine or the share is
// not as it should be: the log cannot be written or is shared, the language
// table is no file, names are outside Latin-1, a program is planted, the
// command line is long, installers end oddly or not in time. Each test checks
// that the installs still happen, nothing is lost, and the exit code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "deployment.h"
#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

class FaultRun : public Deployment {
 protected:
  // appendlines.exe holding the log and writing `lines` lines, `interval_ms`
  // apart; `share` "rw" lets others write too, "r" lets them only read.
  std::unique_ptr<RunningProgram> StartOtherWriter(int lines, int interval_ms,
                                                   const std::string& share) {
    const std::string ready = root_ + "\\held";
    EXPECT_TRUE(machine().CopyBuildFile("tools/appendlines.exe", root_ + "\\appendlines.exe"));
    RunOptions writer;
    writer.program = root_ + "\\appendlines.exe";
    writer.arguments = log() + " " + std::to_string(lines) + " " + std::to_string(interval_ms) +
                       " " + ready + " " + share;
    writer.time_limit_seconds = 120;
    std::unique_ptr<RunningProgram> other = machine().Start(writer);
    for (int i = 0; i < 100 && !machine().Exists(ready); ++i) usleep(100000);
    EXPECT_TRUE(machine().Exists(ready)) << "the log was never held";
    return other;
  }
};

// One list of applications that each run footprint.exe with these switches.
std::string OneList(const std::vector<std::string>& apps, const std::string& app_path,
                    const std::string& switches) {
  std::string list = "[0xFFFF]\r\n";
  std::string sections;
  for (size_t i = 0; i < apps.size(); ++i) {
    list += "APP" + std::to_string(i + 1) + "=" + apps[i] + "\r\n";
    sections += "[" + apps[i] + "]\r\nAppPath=" + app_path + "\\" + apps[i] +
                "\r\nAppSwitches=" + switches + "\r\n";
  }
  return list + sections;
}

// Takes the other writer's lines "appendlines 1" to "appendlines N" out of
// the log; false when one is missing or out of order, or more are there.
bool TakeOutAppendedLines(std::string* log, int expected) {
  size_t from = 0;
  for (int n = 1; n <= expected; ++n) {
    const std::string line = "appendlines " + std::to_string(n) + "\r\n";
    from = log->find(line, from);
    if (from == std::string::npos) return false;
    log->erase(from, line.size());
  }
  return log->find("appendlines") == std::string::npos;
}

TEST_F(FaultRun, MissingLogFolderStillInstallsAndLeavesNoLogAnywhere) {
  ASSERT_TRUE(machine().Remove("C:\\SYSTEM.SAV"));
  const std::string folder = root_ + "\\NoSuchFolder";
  ASSERT_TRUE(machine().WriteFile(ini(), "[Settings]\r\nAppInstlPath=" + root_ +
                                             "\r\nLogFile=" + folder + "\\RUN.LOG\r\n" +
                                             OneList({"A", "B"}, apps(), "footprint.exe 0 0")));
  AddFootprint(apps() + "\\A\\footprint.exe");
  AddFootprint(apps() + "\\B\\footprint.exe");

  const RunResult result = RunQuill();
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  const std::string ran = "start " + apps() + "\\A\\footprint.exe 0 0\nend\n";
  EXPECT_EQ(ran, Footprints(apps() + "\\A\\footprint.exe"));
  EXPECT_EQ("start " + apps() + "\\B\\footprint.exe 0 0\nend\n",
            Footprints(apps() + "\\B\\footprint.exe"));
  EXPECT_FALSE(machine().Exists(folder)) << "only C:\\SYSTEM.SAV\\UTIL is ever made";
  EXPECT_FALSE(machine().Exists("C:\\SYSTEM.SAV"));
  EXPECT_FALSE(machine().Exists(log()));
}

TEST_F(FaultRun, LogThatCannotBeOpenedForWritingIsLeftAsItWasAndTheInstallsHappen) {
  // Windows refuses to open a read-only log for writing, but Wine run as
  // root does not: here the refusal comes from a writer that lets others
  // only read. The earlier text and the other writer's lines stay whole.
  const std::string earlier = "an earlier block\r\n";
  ASSERT_TRUE(machine().WriteFile(log(), earlier));
  ASSERT_TRUE(machine().WriteFile(ini(), Ini(OneList({"A"}, apps(), "footprint.exe 0 0"))));
  AddFootprint(apps() + "\\A\\footprint.exe");
  std::unique_ptr<RunningProgram> other = StartOtherWriter(20, 200, "r");

  const RunResult result = RunQuill();
  const RunResult written = other->Wait();
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  EXPECT_EQ("start " + apps() + "\\A\\footprint.exe 0 0\nend\n",
            Footprints(apps() + "\\A\\footprint.exe"));
  EXPECT_EQ(0u, written.exit_code) << written.output;
  std::string text = LogText();
  ASSERT_TRUE(TakeOutAppendedLines(&text, 20)) << text;
  EXPECT_EQ(earlier, text);
}

TEST_F(FaultRun, LogHeldOpenByAnotherWriterLosesNothingOfEither) {
  // Long command lines make the block larger than the log's 4 KiB buffer,
  // so it reaches the file in more than one write while the other writes.
  const std::vector<std::string> names = {"A1", "A2", "A3", "A4", "A5", "A6", "A7"};
  const std::string long_path = apps() + "\\" + std::string(120, 'p');
  const std::string switches = "footprint.exe " + std::string(200, 's');
  ASSERT_TRUE(machine().WriteFile(ini(), Ini(OneList(names, long_path, switches))));
  std::string expected = Opening("0xPC42", "WINXP") + Language("0x409", "12");
  for (const std::string& name : names) {
    AddFootprint(long_path + "\\" + name + "\\footprint.exe");
    expected += Application("0xFFFF", name, long_path + "\\" + name + "\\" + switches, kQuick);
  }
  ASSERT_GT(expected.size(), 4096u);

  constexpr int kLines = 150;
  std::unique_ptr<RunningProgram> other = StartOtherWriter(kLines, 100, "rw");

  const RunResult result = RunQuill();
  const RunResult written = other->Wait();
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  ASSERT_TRUE(written.finished) << written.output;
  EXPECT_EQ(0u, written.exit_code) << "a write of the other writer failed";

  std::string text = LogText();
  const size_t inside = text.find("appendlines", text.find(kStars));
  EXPECT_LT(inside, text.rfind("RESULT")) << "no line of the other came while the run wrote";
  ASSERT_TRUE(TakeOutAppendedLines(&text, kLines)) << text;
  EXPECT_EQ(expected, text);
}

TEST_F(FaultRun, LanguageTableThatIsAFolderGivesAnEmptyLanguageCodeAndTheRunGoesOn) {
  const std::string copy = "C:\\LANG_INI.TXT";
  ASSERT_TRUE(machine().Remove(copy));
  ASSERT_TRUE(machine().Remove(root_ + "\\LANG.INI"));
  ASSERT_TRUE(machine().MakeDirectories(root_ + "\\LANG.INI"));
  // With no language, "%LANG%" stands for nothing when AppPath\ exists.
  ASSERT_TRUE(machine().WriteFile(
      ini(), Ini("[0xFFFF]\r\nAPP1=A\r\nAPP2=L\r\n[A]\r\nAppPath=" + apps() +
                 "\\A\r\nAppSwitches=footprint.exe 0 0\r\n[L]\r\nAppPath=" + apps() +
                 "\\L\r\nAppSwitches=%LANG%footprint.exe 0 0\r\n")));
  AddFootprint(apps() + "\\A\\footprint.exe");
  AddFootprint(apps() + "\\L\\footprint.exe");

  ExpectRunLogging(Opening("0xPC42", "WINXP") + Language("0x409", "") +
                   Application("0xFFFF", "A", apps() + "\\A\\footprint.exe 0 0", kQuick) +
                   Application("0xFFFF", "L", apps() + "\\L\\footprint.exe 0 0", kQuick));
  EXPECT_FALSE(machine().Exists(copy)) << "a folder cannot be copied to a file";
  EXPECT_EQ("start " + apps() + "\\L\\footprint.exe 0 0\nend\n",
            Footprints(apps() + "\\L\\footprint.exe"));
}

// UTF-16 little-endian with its byte-order mark, from UTF-8.
std::string Utf16File(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    const int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    uint32_t c = more == 0 ? b : b & (0x3F >> more);
    for (int k = 1; k <= more; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<size_t>(more) + 1;
    auto put = [&bytes](uint32_t unit) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    };
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return bytes;
}

TEST_F(FaultRun, Utf16InputWithNamesOutsideLatin1LogsOneQuestionMarkPerCharacter) {
  // Greek, CJK, a character outside the BMP (a surrogate pair) and Latin-1.
  const std::string greek = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";  // 5
  const std::string cjk = "\xE6\x97\xA5\xE6\x9C\xAC";                    // 2
  const std::string outside_bmp = "\xF0\x9D\x94\x98";                    // 1
  const std::string latin1 = "Caf\xC3\xA9";                              // é
  const std::string app = greek + cjk + outside_bmp + latin1;
  const std::string app_in_log = "????????Caf\xE9";
  ASSERT_TRUE(
      machine().WriteFile(ini(), Utf16File(Ini(OneList({app}, apps(), "footprint.exe 0 0")))));
  AddFootprint(apps() + "\\" + app + "\\footprint.exe");

  // Wine names host files in the locale's character set: a UTF-8 one.
  ExpectRunLogging(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                       Application("0xFFFF", app_in_log,
                                   apps() + "\\" + app_in_log + "\\footprint.exe 0 0", kQuick),
                   {{"LC_ALL", "C.UTF-8"}});
  EXPECT_EQ("start " + apps() + "\\" + app + "\\footprint.exe 0 0\nend\n",
            Footprints(apps() + "\\" + app + "\\footprint.exe"));
}

TEST_F(FaultRun, CyrillicSectionNameKeepsItsRecordsWhole) {
  // "Установка" in the Russian ANSI code page, read on a Russian system.
  const std::string ansi_name = "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0";
  ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", "[25]\r\nLCID=0x419\r\n"));
  ASSERT_TRUE(
      machine().WriteFile(ini(), Ini("[0xFFFF]\r\nAPP1=" + ansi_name + "\r\nAPP2=Next\r\n[" +
                                     ansi_name + "]\r\nAppPath=" + apps() +
                                     "\\A\r\nAppSwitches=footprint.exe 0 0\r\n"
                                     "[Next]\r\nAppPath=" +
                                     apps() + "\\B\r\nAppSwitches=footprint.exe 0 0\r\n")));
  AddFootprint(apps() + "\\A\\footprint.exe");
  AddFootprint(apps() + "\\B\\footprint.exe");

  ExpectRunLogging(
      Opening("0xPC42", "WINXP") + Language("0x419", "25") +
          Application("0xFFFF", "?????????", apps() + "\\A\\footprint.exe 0 0", kQuick) +
          Application("0xFFFF", "Next", apps() + "\\B\\footprint.exe 0 0", kQuick),
      {{"LC_ALL", "ru_RU.UTF-8"}});
}

TEST_F(FaultRun, PlantedProgramExeBesideProgramFilesIsNeverStarted) {
  const std::string planted = "C:\\Program.exe";
  const std::string app_path = "C:\\Program Files\\Quill Fault\\App";
  ASSERT_TRUE(machine().Remove(planted + ".ran"));
  ASSERT_TRUE(machine().Remove("C:\\Program Files\\Quill Fault"));
  AddFootprint(planted);
  AddFootprint(app_path + "\\setup.exe");
  // The second names its program without ".exe".
  ASSERT_TRUE(
      machine().WriteFile(ini(), Ini("[0xFFFF]\r\nAPP1=A\r\nAPP2=B\r\n[A]\r\nAppPath=" + app_path +
                                     "\r\nAppSwitches=setup.exe 0 0\r\n[B]\r\nAppPath=" + app_path +
                                     "\r\nAppSwitches=setup 0 0\r\n")));

  ExpectRunLogging(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                   Application("0xFFFF", "A", app_path + "\\setup.exe 0 0", kQuick) +
                   Application("0xFFFF", "B", app_path + "\\setup 0 0", kQuick));
  EXPECT_EQ("", Footprints(planted)) << "the planted program ran";
  EXPECT_EQ("start \"" + app_path + "\\setup.exe\" 0 0\nend\nstart \"" + app_path +
                "\\setup\" 0 0\nend\n",
            Footprints(app_path + "\\setup.exe"));
  EXPECT_TRUE(machine().Remove(planted));
  EXPECT_TRUE(machine().Remove(planted + ".ran"));
  EXPECT_TRUE(machine().Remove("C:\\Program Files\\Quill Fault"));
}

TEST_F(FaultRun, LongestCommandLineTheInputCanMakeIsLaunchedWhole) {
  // Each INI value stops at 259 characters; only "%LANG%" makes a line
  // longer: a language code of 255 characters (a folder name's limit) in
  // place of each of 42 placeholders.
  const std::string code(255, 'L');
  ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", "[" + code + "]\r\nLCID=0x409\r\n"));
  std::string switches = "f.exe ";
  std::string expanded = switches;
  while (switches.size() + 6 <= 259) {
    switches += "%LANG%";
    expanded += code;
  }
  const std::string app_path = apps() + "\\Long";
  ASSERT_TRUE(machine().MakeDirectories(app_path + "\\" + code));
  AddFootprint(app_path + "\\f.exe");
  ASSERT_TRUE(machine().WriteFile(ini(), Ini("[0xFFFF]\r\nAPP1=A\r\n[A]\r\nAppPath=" + app_path +
                                             "\r\nAppSwitches=" + switches + "\r\n")));

  const RunResult result = RunQuill();
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  const std::string command = app_path + "\\" + expanded;
  EXPECT_GT(command.size(), 10000u);
  EXPECT_EQ(Opening("0xPC42", "WINXP") + Language("0x409", code) +
                Application("0xFFFF", "A", command, kQuick),
            LogText());
  EXPECT_EQ("start " + command + "\nend\n", Footprints(app_path + "\\f.exe"));
}

// A forced restart, a power cut or an administrator's kill while the second
// installer works: the log keeps the whole block up to that installer's
// START record, and nothing after it.
TEST_F(FaultRun, RunKilledWhileItsSecondInstallerWorksKeepsItsRecordsUpToThatStart) {
  ASSERT_TRUE(machine().WriteFile(
      ini(), Ini("[0xFFFF]\r\nAPP1=A\r\nAPP2=B\r\n[A]\r\nAppPath=" + apps() +
                 "\r\nAppSwitches=waitexit.exe 0 0\r\n[B]\r\nAppPath=" + apps() +
                 "\r\nAppSwitches=waitexit.exe 60 0\r\n")));
  ASSERT_TRUE(machine().CopyBuildFile("tools/waitexit.exe", apps() + "\\waitexit.exe"));
  const std::string launches = root_ + "\\launches.txt";
  RunOptions options;
  options.arguments = ini();
  options.windows_version = "winxp";
  options.environment = {{"ZYLNT_MACHINE_ID", "PC42"}, {"QUILL_LAUNCH_LOG", launches}};
  std::unique_ptr<RunningProgram> run = machine().Start(options);
  std::string started;
  for (int i = 0; i < 300 && std::count(started.begin(), started.end(), '\n') < 2; ++i) {
    usleep(100000);
    machine().ReadFile(launches, &started);
  }
  ASSERT_EQ(2, std::count(started.begin(), started.end(), '\n')) << "B never started: " << started;

  EXPECT_TRUE(machine().Kill("QUILLRUN.EXE"));
  const RunResult result = run->Wait();
  EXPECT_TRUE(result.finished) << result.output;
  EXPECT_NE(1u, result.exit_code) << "the run was cut short";
  EXPECT_TRUE(machine().Kill("waitexit.exe"));
  const std::string b = apps() + "\\waitexit.exe 60 0";
  EXPECT_EQ(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                Application("0xFFFF", "A", apps() + "\\waitexit.exe 0 0", kQuick) +
                "Processing: SysID => \"0xFFFF\", Application => \"B\"\r\nLAUNCHED => \"" + b +
                "\"\r\nSTART:: " + kStamp + "\r\n",
            LogText());
}

TEST_F(FaultRun, InstallerThatEndsWithExitCode259HasFinished) {
  ASSERT_TRUE(machine().WriteFile(
      ini(), Ini(OneList({"A"}, apps(), "footprint.exe 2 259"), "MaxInstallTime=30\r\n")));
  AddFootprint(apps() + "\\A\\footprint.exe");

  ExpectRunLogging(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                   Application("0xFFFF", "A", apps() + "\\A\\footprint.exe 2 259",
                               "Command finished in less than 4 seconds."));
}

TEST_F(FaultRun, TimedOutInstallerGoesOnRunningWhileTheNextOneRuns) {
  const std::string slow = apps() + "\\Slow\\footprint.exe";
  const std::string next = apps() + "\\Next\\footprint.exe";
  ASSERT_TRUE(machine().WriteFile(
      ini(), Ini("[0xFFFF]\r\nAPP1=Slow\r\nAPP2=Next\r\n[Slow]\r\nAppPath=" + apps() +
                     "\\Slow\r\nAppSwitches=footprint.exe 9 0\r\n[Next]\r\nAppPath=" + apps() +
                     "\\Next\r\nAppSwitches=footprint.exe 0 0\r\n",
                 "MaxInstallTime=4\r\n")));
  AddFootprint(slow);
  AddFootprint(next);

  ExpectRunLogging(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                   Application("0xFFFF", "Slow", apps() + "\\Slow\\footprint.exe 9 0",
                               "Command did not finish in 4 seconds.") +
                   Application("0xFFFF", "Next", apps() + "\\Next\\footprint.exe 0 0", kQuick));
  EXPECT_EQ("start " + next + " 0 0\nend\n", Footprints(next));
  EXPECT_EQ("start " + slow + " 9 0\n", Footprints(slow)) << "still running after the run";
  // Never terminated: it ends by itself.
  for (int i = 0; i < 150 && Footprints(slow).find("end") == std::string::npos; ++i) {
    usleep(100000);
  }
  EXPECT_EQ("start " + slow + " 9 0\nend\n", Footprints(slow));
}

}  // namespace
}  // namespace quill::e2e
