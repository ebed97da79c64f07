#include "runner/verified_launch.h"

#include <string>
#include <vector>

#include "log/run_log.h"
#include "runner/hash_list.h"
#include "runner/installer_files.h"
#include "runner/windows_path.h"

namespace quill {

namespace {

WString Wide(const std::string& ascii) { return WString(ascii.begin(), ascii.end()); }

// Why `path` may not be started; empty when it is listed, matches and is
// now held in `held`.
WString Verify(const WString& path, const RunContext& context, HeldFiles& files,
               std::vector<HeldFile>* held, int32_t* line) {
  if (!context.HashListRead) return u"the hash list cannot be read";
  if (!IsResolvedFullPath(path)) return u"not a full path, so Windows would search for it";
  const auto found = context.ListedHashes.find(PathKey(path));
  if (found == context.ListedHashes.end()) return u"not in the list";
  if (found->second.sha256.empty()) return u"listed twice with different hashes";
  const WString expected = u"expected " + Wide(found->second.sha256);
  std::string digest;
  HeldFile file = 0;
  switch (files.HoldAndHash(path, &digest, &file)) {
    case HoldResult::kCannotOpen: return expected + u", cannot be opened";
    case HoldResult::kCannotHash: return expected + u", cannot be hashed";
    case HoldResult::kHeld: break;
  }
  held->push_back(file);
  const std::string found_hex = HexDigest(digest);
  if (found_hex != found->second.sha256) return expected + u", found " + Wide(found_hex);
  *line = found->second.line;
  return WString();
}

bool VerifyAll(const WString& handed, RunContext& context, Platform& platform,
               std::vector<HeldFile>* held) {
  for (const FileCheck& check : CheckInstallerFiles(handed, context, platform, held)) {
    if (!check.why.empty()) {
      WriteLogRecord(context, LogRecord::kNotVerified, {{check.file, check.why}});
      return false;
    }
    WriteLogRecord(context, LogRecord::kVerified, {{check.file}, check.line});
  }
  return true;
}

}  // namespace

std::vector<FileCheck> CheckInstallerFiles(const WString& handed, const RunContext& context,
                                           Platform& platform, std::vector<HeldFile>* held) {
  std::vector<FileCheck> checks;
  for (const WString& path :
       InstallerFiles(handed, CurrentFolder(platform), platform.SystemFolder())) {
    FileCheck check;
    check.file = path;
    check.why = Verify(path, context, platform, held, &check.line);
    checks.push_back(check);
    if (!check.why.empty()) break;
  }
  return checks;
}

LaunchResult LaunchVerified(const WString& handed, RunContext& context, Platform& platform) {
  if (context.HashList.empty()) {
    return LaunchAndWait(handed, context.MaxInstallTime, platform, context.WaitForExit);
  }
  std::vector<HeldFile> held;
  LaunchResult result;  // a failed launch unless every file was verified
  if (VerifyAll(handed, context, platform, &held)) {
    CommitRunLog(context);
    result = LaunchAndWait(handed, context.MaxInstallTime, platform, context.WaitForExit);
  }
  for (HeldFile file : held) platform.ReleaseHeld(file);
  return result;
}

}  // namespace quill
