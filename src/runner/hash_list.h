#ifndef QUILL_RUNNER_HASH_LIST_H_
#define QUILL_RUNNER_HASH_LIST_H_

// The installers the deployment vouches for: the list, the files a command
// line installs from, and the start that checks them.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/install_pass.h"

namespace quill {

// [Settings] HashList=: a list in sha256sum's format of the installers the
// deployment vouches for. Without the key nothing of this is read.

struct ParsedHashList {
  std::map<WString, ListedHash> by_path;  // by PathKey of the full path
  std::vector<int32_t> unread_lines;      // numbers of the lines that do not read
};

// Lines of 64 hex digits, a blank, a blank or "*", and a UTF-8 path, full
// or relative to `list_folder` with "/" or "\"; a line that sha256sum
// escapes (a leading "\") is taken back. Blank lines are passed over.
ParsedHashList ParseHashList(const std::string& bytes, const WString& list_folder);

// Reads the key and the list into the context; the list's failures are
// told in the log. A value given relative is taken from the input INI
// file's folder.
void ReadHashList(RunContext& context, Platform& platform);
// The list at `list_path`, `given` resolved, read into the context, its
// failures told. One that does not resolve to a file (not full, a device)
// cannot be read, and then nothing starts.
void ReadHashListFile(const WString& given, const WString& list_path, RunContext& context,
                      Platform& platform);

// The current folder, however long, for what is relative to it.
constexpr size_t kLongestPathChars = 32768;
WString CurrentFolder(FileSystem& files);

// The 32 bytes of a digest as 64 lower-case hex digits.
std::string HexDigest(const std::string& digest);

// The files a command line installs from, as the platform will open them:
// what the HashList must vouch for before the command is started.
// `handed` is the command line as the platform is handed it. The program is
// its first token (quoted, or up to the first blank), ".exe" added when it
// has no extension. Where that is msiexec.exe of `system_folder` (or of its
// SysWOW64 or Sysnative sibling), which differs with every Windows, the
// files are instead the packages, patches and transforms it is told to
// install: /i, /package, /p, /update, PATCH= and TRANSFORMS= ("@" and "|"
// dropped, ":" ones lie inside the package). The logs of /l and /log,
// the quiet and restart options and other properties are left alone; any
// other word, or no file at all, gives only msiexec back with the word in
// `refused` ("msiexec" for none). A package's relative path is taken from
// `current_folder`, as msiexec takes it. A path that cannot be told full
// comes back as written: a program not named by a full path (Windows would
// search for it), "D:x", a share named "..".
std::vector<WString> InstallerFiles(const WString& handed, const WString& current_folder,
                                    const WString& system_folder, WString* refused);

// The words of a command line: split at blanks outside quotation marks,
// the marks dropped.
std::vector<WString> CommandWords(const WString& text);

// With [Settings] HashList=, an installer is started only when every file
// its command line installs from is in the list and matches it. Each file
// is opened denying writes before it is hashed and held so until the
// installer has ended, or the program does where the wait timed out:
// msiexec reads its package only after it has started, so a release at
// the start would leave that gap open.
// One file a command line installs from, as checked: the list's line it
// matched, or why it may not be started.
struct FileCheck {
  WString file;
  int32_t line = 0;
  WString why;  // empty: listed, matching, and held
};

// The files of `handed` checked in order, up to the first that fails; each
// that matches is left held in `held`.
std::vector<FileCheck> CheckInstallerFiles(const WString& handed, const RunContext& context,
                                           Platform& platform, std::vector<HeldFile>* held);

// Without a HashList, LaunchAndWait as it is. With one, a VERIFIED record
// for each file that matches, or one NOT VERIFIED record for the first that
// does not, and then a failed launch without a start.
LaunchResult LaunchVerified(const WString& handed, const LaunchLimits& limits, RunContext& context,
                            Platform& platform);

// Whether `handed` starts the system's own msiexec.exe, as InstallerFiles
// tells it.
bool StartsSystemMsiexec(const WString& handed, const WString& current_folder,
                         const WString& system_folder);

// The program `handed` starts, by full path with ".exe" added where it has
// no extension; empty when it is not named by a full path.
WString StartedProgram(const WString& handed, const WString& current_folder);

}  // namespace quill

#endif  // QUILL_RUNNER_HASH_LIST_H_
