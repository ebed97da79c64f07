// quillplan hash: the list of the files given, folders walked whole, in
// sha256sum's format, sorted by path, for [Settings] HashList=.
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "plan/host/file_sha256.h"
#include "plan/report/fleet_files.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verbs.h"
#include "plan/windows/hash_lines.h"
#include "runner/hash_list.h"

namespace quill::plan {

int RunHashVerb(const HashOptions& options, std::ostream& out, std::ostream& err) {
  std::error_code error;
  const std::string current = std::filesystem::current_path(error).u8string();
  std::vector<std::pair<std::string, std::string>> lines;  // path, line
  int status = kAllGood;
  ForEachFile(options.paths, {}, [&](const FoundFile& file) {
    if (!file.problem.empty()) {
      TellError(err, "hash", file.path, file.problem);
      // A link or a device inside a folder is passed over; what was named and
      // cannot be read is trouble.
      status = std::max(status, file.problem.rfind("not read", 0) == 0 ? kFound : kTrouble);
      return;
    }
    const std::string listed = ListedPath(file.path, current);
    if (const std::string why = NotAWindowsName(listed); !why.empty()) {
      TellError(err, "hash", file.path, "not listed: " + why);
      status = std::max(status, kFound);
      return;
    }
    std::string digest;
    if (!FileSha256(file.path, &digest)) {
      TellError(err, "hash", file.path, "cannot be read whole");
      status = kTrouble;
      return;
    }
    lines.emplace_back(listed, Sha256sumLine(HexDigest(digest), listed));
  });
  std::sort(lines.begin(), lines.end());
  for (const auto& line : lines) out << line.second;
  return status;
}

}  // namespace quill::plan
