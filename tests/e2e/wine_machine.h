#ifndef QUILL_TESTS_E2E_WINE_MACHINE_H_
#define QUILL_TESTS_E2E_WINE_MACHINE_H_

// The Windows machines of an end-to-end test run, one of each kind, made
// when first asked for and shared: a fresh Wine prefix with a private X
// display, QUILLRUN.EXE and its identity library installed under
// C:\QUILLRUN, and ways to run the program and to lay out and inspect files
// by their Windows paths.
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "x_display.h"

namespace quill::e2e {

constexpr char kProgramFolder[] = "C:\\QUILLRUN";
constexpr char kProgram[] = "C:\\QUILLRUN\\QUILLRUN.EXE";
// The 64-bit twin, beside the shipped program on a 64-bit Windows.
constexpr char kProgram64Folder[] = "C:\\QUILLRUN64";
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

// The two axes of a case: which build of the program runs (with the
// identity library of the same bits), and on which Windows. On a 64-bit
// Windows a 32-bit program runs under WoW64; a 32-bit Windows runs only
// 32-bit programs.
enum class ProgramBits { k32, k64 };
enum class WindowsBits { k64, k32 };
struct Target {
  ProgramBits program;
  WindowsBits windows;
};
std::string TargetName(const Target& target);  // e.g. "program32_on_windows64"
inline void PrintTo(const Target& target, std::ostream* out) { *out << TargetName(target); }

// False where this machine cannot run 32-bit code (scripts/lib/runs-32bit),
// or where QUILL_E2E_NO_32BIT tells the run why not: the 64-bit program then
// stands in for the 32-bit one on 64-bit Windows.
bool Runs32BitPrograms();
// The program that ships, the 32-bit one, on a 64-bit Windows: every case.
Target Shipped();
// The shipped target and the 32-bit program on a 32-bit Windows.
std::vector<Target> BothWindows();
// Those, and the 64-bit twin: the cases whose result depends on the bits.
std::vector<Target> EveryBuildAndWindows();

class WineMachine {
 public:
  // The machine of this test run with that Windows, made on first use;
  // ready() tells whether that worked, error() why not.
  static WineMachine& Get(WindowsBits windows = WindowsBits::k64);
  static WineMachine& For(const Target& target) { return Get(target.windows); }
  // Ends every machine that was made.
  static void TearDownAll();

  bool ready() const { return ready_; }
  const std::string& error() const { return error_; }

  RunResult Run(const RunOptions& options);
  std::unique_ptr<RunningProgram> Start(const RunOptions& options);
  // Windows started anew, as far as Wine allows: the server ends with every
  // process of the prefix and starts again, at least a second later, so
  // that programs read another boot time (Wine gives its server's start).
  // The first command of a session runs the RunOnce commands, with its own
  // environment: `wineboot -r`, with these variables (the machine's
  // identifier), waited for. False, with the reason in error(), where the
  // session did not end or the new one did not start.
  bool RestartWindows(const std::map<std::string, std::string>& environment);
  // Ends every process of that image name as an administrator's kill does
  // (taskkill /f: TerminateProcess, nothing of the program runs after it).
  bool Kill(const std::string& image_name);

  // Where the default installation of that build lies.
  std::string ProgramPath(ProgramBits bits) const;
  // QUILLRUN.EXE into a folder on C: (made when missing), with the chosen
  // library beside it: the shipped build, or the one named.
  bool InstallProgram(const std::string& windows_folder, IdentityLibrary library);
  bool InstallProgram(const std::string& windows_folder, IdentityLibrary library, ProgramBits bits);
  // A file of the tools' build folder (e.g. "tools/waitexit.exe") copied to a
  // Windows path, e.g. as a stand-in installer.
  bool CopyBuildFile(const std::string& build_relative, const std::string& windows_path);

  // The version values of HKLM (both views) and the product type ("WinNT",
  // "ServerNT") as a Windows of that version ("10.0") and build has them:
  // what Wine 8 reads where no Version value names a Windows, and the only
  // way to Windows 11 and to a server. "6.1", "7601", "WinNT" are the
  // prefix's own.
  bool SetRegistryVersion(const std::string& version, const std::string& build,
                          const std::string& product_type);

  // Gives the prefix a drive (e.g. 'D'), a folder of its own; C: is there.
  bool AddDrive(char letter);
  // Makes \\SERVER\SHARE (lower case) a folder of the prefix, as Wine
  // resolves a UNC path: through dosdevices/unc/SERVER/SHARE.
  bool AddShare(const std::string& server, const std::string& share,
                const std::string& windows_folder);

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
  WindowsBits windows() const { return windows_; }

 private:
  explicit WineMachine(WindowsBits windows) : windows_(windows) {}
  static WineMachine& Unmade(WindowsBits windows);
  // Makes the prefix, the display and the default installation. False, with
  // the reason in `error_`, when any of it fails.
  bool SetUp();
  // Ends every process of the prefix and the display; removes the prefix
  // unless QUILL_E2E_KEEP_PREFIX is set.
  void TearDown();
  std::vector<std::string> Environment(const std::map<std::string, std::string>& extra) const;
  ProcessOutcome Wine(const std::vector<std::string>& arguments, double seconds);
  bool UseWindowsVersion(const std::string& version);
  // How many host processes of this prefix run this image ("wineboot.exe").
  size_t RunningImages(const std::string& image) const;
  bool CopyFrom(const std::string& build, const std::string& build_relative,
                const std::string& windows_path);

  WindowsBits windows_;
  XDisplay display_;
  std::string prefix_;
  // The build the tools and the program at kProgram come from.
  ProgramBits shipped_ = ProgramBits::k32;
  std::string windows_version_;  // what QUILLRUN.EXE is shown now
  bool tried_ = false;
  bool ready_ = false;
  std::string error_;
};

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_WINE_MACHINE_H_
