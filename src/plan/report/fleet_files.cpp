#include "plan/report/fleet_files.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/utf.h"
#include "plan/host/file_identity.h"
#include "plan/host/host_path.h"
#include "plan/host/put_in_place.h"
#include "plan/report/log_file.h"
#include "runner/log_copy.h"

namespace quill::plan {

namespace {

namespace fs = std::filesystem;

// The temporary of a log copy that QUILLRUN.EXE writes, or one a cut copy
// left: part of a log at best, never a PC's own.
bool IsLogCopyPart(const std::string& name) {
  const std::string suffix = ToUtf8(kLogCopyPartSuffix);
  if (name.size() <= suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char c = name[name.size() - suffix.size() + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != suffix[i]) return false;
  }
  return true;
}

class Walker {
 public:
  Walker(const std::vector<std::string>& not_inputs,
         const std::function<void(const FoundFile&)>& visit)
      : visit_(visit) {
    for (const std::string& path : not_inputs) {
      FileIdentity identity;
      if (IdentityOf(path, &identity)) seen_.insert(identity);
    }
  }

  void Given(const fs::path& path) { Walk(path, true); }

 private:
  void Walk(const fs::path& path, bool named) {
    const std::string text = Utf8Path(path);
    const fs::path host = HostPath(text);  // the path as told, the host's to open
    std::error_code error;
    const fs::file_status own = fs::symlink_status(host, error);
    if (error == std::errc::filename_too_long) {
      visit_({text, "cannot be read: path too long"});
      return;
    }
    if (error || !fs::exists(own)) {
      visit_({text, "cannot be read: no such file or folder"});
      return;
    }
    // Another report's output being written, or one a killed report left.
    if (!named && IsPartFileName(Utf8Path(path.filename()))) return;
    if (IsLogCopyPart(Utf8Path(path.filename()))) {
      if (named) visit_({text, "not read: the temporary of a log copy, never a whole log", true});
      return;
    }
    if (fs::is_symlink(own) && !named) {
      visit_({text,
              "not read: a link, and links inside folders are not followed "
              "(name it on the command line to read it)",
              true});
      return;
    }
    const fs::file_status status = fs::status(host, error);
    if (error || !fs::exists(status)) {
      visit_({text, "cannot be read: a link that leads nowhere"});
      return;
    }
    if (!fs::is_directory(status) && !fs::is_regular_file(status)) {
      visit_({text, NotAFile(KindOf(text, true)), !named});
      return;
    }
    FileIdentity identity;
    if (IdentityOf(text, &identity) && !seen_.insert(identity).second) return;  // read already
    if (!fs::is_directory(status)) {
      visit_({text, ""});
      return;
    }
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(host, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(path / it->path().filename());
    }
    if (error) {
      visit_({text, "folder cannot be read: " + error.message()});
      return;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) Walk(entry, false);
  }

  const std::function<void(const FoundFile&)>& visit_;
  std::set<FileIdentity> seen_;  // files and folders: one entry each, the work's size
};

}  // namespace

void ForEachFile(const std::vector<std::string>& paths, const std::vector<std::string>& not_inputs,
                 const std::function<void(const FoundFile&)>& visit) {
  Walker walker(not_inputs, visit);
  for (const std::string& path : paths) walker.Given(fs::u8path(path));
}

}  // namespace quill::plan
