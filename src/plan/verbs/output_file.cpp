#include "plan/verbs/output_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "plan/host/file_identity.h"
#include "plan/host/host_path.h"
#include "plan/host/part_files.h"
#include "plan/host/put_in_place.h"
#include "plan/report/fleet_files.h"
#include "plan/report/log_file.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verbs.h"

namespace quill::plan {

namespace {

namespace fs = std::filesystem;

// Two paths to one file, whether or not it exists yet.
bool SamePath(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (a == "-" || b == "-") return false;
  FileIdentity first, second;
  if (IdentityOf(a, &first) && IdentityOf(b, &second)) return first == second;
  std::error_code error;
  return fs::absolute(fs::u8path(a), error).lexically_normal() ==
         fs::absolute(fs::u8path(b), error).lexically_normal();
}

bool IsRunLog(const std::string& path) {
  LogFile log;
  std::string why_not;
  return log.Open(path, &why_not) && WhyNotALog(log.Opening()).empty();
}

// Why the existing file `output` must not be written: it is one of the
// inputs, or a run log that a folder among them holds. Empty when it may.
std::string WhyAnInput(const std::string& output, const FileIdentity& written,
                       const VerbInputs& inputs) {
  for (const auto* paths : {&inputs.files, &inputs.log_paths}) {
    for (const std::string& input : *paths) {
      FileIdentity identity;
      if (IdentityOf(input, &identity) && identity == written) {
        return "is " + Shown(input) + ", an input of this run";
      }
    }
  }
  // A run log that a folder among them holds, by any name: walked only
  // for an output that is a run log, which a report's own output never is.
  bool reached = false;
  if (!inputs.log_paths.empty() && IsRunLog(output)) {
    ForEachFile(inputs.log_paths, {}, [&](const FoundFile& found) {
      FileIdentity identity;
      reached = reached || (found.problem.empty() && IdentityOf(found.path, &identity) &&
                            identity == written);
    });
  }
  if (reached) return "is a run log among the inputs of this run";
  return "";
}

}  // namespace

int RefuseOutputClashes(const char* verb, const std::vector<OutputAsked>& outputs,
                        const VerbInputs& inputs, std::ostream& err) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    const OutputAsked& output = outputs[i];
    if (output.path.empty()) continue;
    FileIdentity written;
    const bool exists = output.path != "-" && IdentityOf(output.path, &written);
    for (size_t j = i + 1; j < outputs.size(); ++j) {
      if (outputs[j].path.empty() || !SamePath(output.path, outputs[j].path)) continue;
      TellError(err, verb, output.path == "-" ? std::string("standard output") : output.path,
                std::string("cannot be written by both ") + output.option + " and " + outputs[j].option);
      return kUsage;
    }
    if (!exists) continue;
    const std::string why = WhyAnInput(output.path, written, inputs);
    if (!why.empty()) {
      TellError(err, verb, output.path,
                "not written: it " + why + " (" + std::string(output.option) + " would replace it)");
      return kUsage;
    }
  }
  return kAllGood;
}

Output::~Output() { Discard(); }

bool Output::Open(const std::string& path, std::ostream& out, std::ostream& err) {
  path_ = path;
  if (path.empty()) return true;
  if (path == "-") {
    stream_ = &out;
    return true;
  }
  std::error_code error;
  fs::path target = HostPath(path);
  // A link stays a link: the file it leads to is replaced, or made.
  if (fs::is_symlink(fs::symlink_status(target, error))) {
    fs::path resolved = fs::canonical(target, error);
    if (error) {  // it leads nowhere yet: to where its text says
      const fs::path text = fs::read_symlink(target, error);
      resolved = text.is_absolute() ? text : target.parent_path() / text;
    }
    if (!error) target = resolved;
  }
  target_ = Utf8Path(target);
  const fs::file_status status = fs::status(target, error);
  // A device or a pipe (/dev/stdout) is written as it is.
  const bool in_place = fs::exists(status) && !fs::is_regular_file(status);
  if (!in_place) temporary_ = PartName(target);
  if (!temporary_.empty()) RemoveOnSignal(temporary_);  // before it is there to be left
  errno = 0;
  file_ = std::make_unique<std::ofstream>(HostPath(in_place ? target_ : temporary_),
                                          std::ios::binary);
  const int opened_errno = errno;
  stream_ = file_.get();
  if (*file_) {
    if (fs::is_regular_file(status)) {
      fs::permissions(HostPath(temporary_), status.permissions(), error);  // as the old file's
    }
    return true;
  }
  Forget(temporary_);
  temporary_.clear();
  TellError(err, verb_, path, "cannot be written: " + WhyNotWritten(path, opened_errno));
  return false;
}

std::vector<std::string> Output::written_paths() const {
  std::vector<std::string> paths;
  if (file_) paths.push_back(path_);
  if (!temporary_.empty()) paths.push_back(temporary_);
  return paths;
}

bool Output::Close(std::ostream& err) {
  if (!file_) return true;
  file_->close();
  if (!file_->fail() && (temporary_.empty() || PutInPlace(temporary_, target_))) {
    Forget(temporary_);
    temporary_.clear();
    return true;
  }
  TellError(err, verb_, path_,
            std::string("cannot be written: writing failed; ") +
                (temporary_.empty() ? "it may be incomplete" : "the old file is left as it was"));
  Discard();
  return false;
}

void Output::Discard() {
  if (temporary_.empty()) return;
  if (file_) file_->close();
  std::error_code error;
  fs::remove(HostPath(temporary_), error);
  Forget(temporary_);
  temporary_.clear();
}

}  // namespace quill::plan
