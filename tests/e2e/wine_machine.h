#ifndef QUILL_TESTS_E2E_WINE_MACHINE_H_
#define QUILL_TESTS_E2E_WINE_MACHINE_H_

// One Windows machine for the whole end-to-end test run: a fresh Wine
// prefix with a private X display, QUILLRUN.EXE and its identity library
// installed under C:\QUILLRUN, and ways to run the program and to lay out
// and inspect files by their Windows paths.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "child_process.h"
#include "x_display.h"

namespace quill::e2e {

constexpr char kProgramFolder[] = "C:\\QUILLRUN";
constexpr char kProgram[] = "C:\\QUILLRUN\\QUILLRUN.EXE";
constexpr char kUsageCaption[] = "Quillrunner Installer Utility";

// How one run of the program is made.
struct RunOptions {
  // The command tail: the command line is the quoted program, a blank and
  // this text (just the quoted program when it is empty).
  std::string arguments;
  // When not empty, the whole command line exactly as given, instead.
  std::string command_line;
  std::string program = kProgram;
  // A folder on C:, which must exist.
  std::string current_directory = "C:\\";
  // Extra variables, e.g. {"ZYLNT_MACHINE_ID", "LAB-7"} or {"LC_ALL",
  // "de_DE.UTF-8"} (the user locale; en_US.UTF-8, locale 0x409, when not
  // given). Variables of the same names in the test's own environment are
  // never passed on.
  std::map<std::string, std::string> environment;
  // "winxp", "vista", "win7", "win10", ...: the Windows version QUILLRUN.EXE
  // is shown; empty for Wine's default.
  std::string windows_version;
  double time_limit_seconds = 60;
};

struct RunResult {
  bool finished = false;    // false: killed at the time limit
  bool launched = false;    // false: the program could not be started at all
  uint32_t exit_code = 0;   // the program's whole 32-bit exit code
  std::string output;       // what the launcher and Wine printed, for messages
};

// A run that was started and is not yet waited for (the usage box).
class RunningProgram {
 public:
  RunningProgram(std::unique_ptr<ChildProcess> launcher, double time_limit_seconds);
  // A run that could not be started; Wait tells why.
  explicit RunningProgram(const std::string& why_not_started);
  // Waits for the end, up to the run's time limit.
  RunResult Wait();

 private:
  std::unique_ptr<ChildProcess> launcher_;
  double time_limit_seconds_ = 0;
  std::string why_not_started_;
};

// Which identity library lies beside an installed program.
enum class IdentityLibrary { kNone, kStandIn, kNoExport };

class WineMachine {
 public:
  // The machine of this test run; made by the test environment.
  static WineMachine& Get();

  // Makes the prefix, the display and the default installation. False, with
  // the reason in `error`, when any of it fails.
  bool SetUp(std::string* error);
  // Ends every process of the prefix and the display; removes the prefix
  // unless QUILL_E2E_KEEP_PREFIX is set.
  void TearDown();

  RunResult Run(const RunOptions& options);
  std::unique_ptr<RunningProgram> Start(const RunOptions& options);

  // QUILLRUN.EXE into a folder on C: (made when missing), with the chosen
  // library beside it.
  bool InstallProgram(const std::string& windows_folder, IdentityLibrary library);
  // A file of the 64-bit build folder (e.g. "tools/waitexit.exe") copied to a
  // Windows path, e.g. as a stand-in installer.
  bool CopyBuildFile(const std::string& build_relative, const std::string& windows_path);

  // Gives the prefix a drive (e.g. 'D'), a folder of its own; C: is there.
  bool AddDrive(char letter);

  // Files by Windows path ("C:\\DARezad\\x.ini"), case as given.
  std::string HostPath(const std::string& windows_path) const;
  // Writes the bytes as they are, making the parent folders.
  bool WriteFile(const std::string& windows_path, const std::string& bytes);
  // False when the file cannot be read.
  bool ReadFile(const std::string& windows_path, std::string* bytes) const;
  bool Exists(const std::string& windows_path) const;
  bool MakeDirectories(const std::string& windows_folder);
  // A file or a whole folder; true when nothing is left there.
  bool Remove(const std::string& windows_path);

  const XDisplay& display() const { return display_; }
  const std::string& prefix() const { return prefix_; }
  // The 64-bit build folder the programs come from.
  const std::string& build_directory() const { return build_; }

 private:
  std::vector<std::string> Environment(const std::map<std::string, std::string>& extra) const;
  ProcessOutcome Wine(const std::vector<std::string>& arguments, double seconds);
  bool UseWindowsVersion(const std::string& version);

  XDisplay display_;
  std::string prefix_;
  std::string build_;
  std::string windows_version_;  // what QUILLRUN.EXE is shown now
  bool ready_ = false;
};

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_WINE_MACHINE_H_
