#include "plan/windows/machine_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "plan/host/host_path.h"
#include "plan/text/case_fold.h"
#include "plan/windows/local_file.h"
#include "platform/file_system.h"

namespace quill::plan {

namespace fs = std::filesystem;

const char* BasisName(AnswerBasis basis) {
  switch (basis) {
    case AnswerBasis::kBound: return "given";
    case AnswerBasis::kMapped: return "mapped";
    case AnswerBasis::kAssumed: return "assumed";
  }
  return "";
}

namespace {

// One key for all the spellings Windows takes as the same path.
WString PathKey(const WString& windows_path) {
  WString key;
  for (const WString& name : WindowsPathNames(windows_path)) key += LowerPathCase(name) + u"\\";
  return key;
}

// The last name of a path, lower case, as Windows would take it.
WString LastName(const WString& windows_path) {
  const std::vector<WString> names = WindowsPathNames(windows_path);
  return names.empty() ? WString() : LowerPathCase(names.back());
}

}  // namespace

MachineFiles::MachineFiles(PathMap map, Assumption assumption)
    : map_(std::move(map)), assumption_(assumption) {}

void MachineFiles::Bind(const WString& windows_path, const std::string& local_file) {
  bound_[PathKey(windows_path)] = local_file;
  ++bound_names_[LastName(windows_path)];
  answers_.clear();
  by_spelling_.clear();
}

std::string MachineFiles::LocalFor(const WString& windows_path, AnswerBasis* basis,
                                   LocalKind* kind) {
  const auto bound = bound_.find(PathKey(windows_path));
  if (bound != bound_.end()) {
    *basis = AnswerBasis::kBound;
    return bound->second;
  }
  std::optional<LocalPath> mapped = map_.Resolve(windows_path);
  *basis = mapped ? AnswerBasis::kMapped : AnswerBasis::kAssumed;
  if (!mapped) return std::string();
  if (kind != nullptr) *kind = mapped->kind;
  return std::move(mapped->path);
}

FileAnswer MachineFiles::Question(const WString& windows_path, bool remember) {
  // Without mappings, only a path that may be bound needs looking at.
  if (map_.empty() && bound_names_.count(LastName(windows_path)) == 0) {
    FileAnswer assumed;
    assumed.exists = assumption_ == Assumption::kPresent;
    assumed.attributes = assumed.exists ? kFileAttributeNormal : kInvalidFileAttributes;
    return assumed;
  }
  const auto spelled = by_spelling_.find(windows_path);
  if (spelled != by_spelling_.end()) return spelled->second;
  const WString key = PathKey(windows_path);
  const auto known = answers_.find(key);
  if (known != answers_.end()) {
    by_spelling_.emplace(windows_path, known->second);
    return known->second;
  }

  FileAnswer answer;
  LocalKind kind = LocalKind::kUnknown;
  answer.local = LocalFor(windows_path, &answer.basis, &kind);
  if (answer.basis == AnswerBasis::kAssumed) {
    answer.exists = assumption_ == Assumption::kPresent;
    answer.attributes = kFileAttributeNormal;
  } else if (kind != LocalKind::kUnknown) {
    answer.exists = kind != LocalKind::kMissing;
    answer.attributes = kind == LocalKind::kDirectory ? kFileAttributeDirectory
                                                      : kFileAttributeNormal;
  } else {
    std::error_code error;
    const fs::file_status status = fs::status(HostPath(answer.local), error);
    answer.exists = !error && fs::exists(status);
    answer.attributes = fs::is_directory(status) ? kFileAttributeDirectory : kFileAttributeNormal;
  }
  if (!answer.exists) answer.attributes = kInvalidFileAttributes;
  if (remember) {
    answers_.emplace(key, answer);
    by_spelling_.emplace(windows_path, answer);
  }
  return answer;
}

std::string MachineFiles::Locate(const WString& windows_path) {
  AnswerBasis basis = AnswerBasis::kAssumed;
  return LocalFor(windows_path, &basis);
}

bool MachineFiles::ReadBytes(const WString& windows_path, std::string* bytes) {
  AnswerBasis basis = AnswerBasis::kAssumed;
  const std::string local = LocalFor(windows_path, &basis);
  if (basis == AnswerBasis::kAssumed) return false;
  const auto known = bytes_.find(local);
  if (known != bytes_.end()) {
    *bytes = known->second;
    return true;
  }
  if (!ReadLocalFile(local, bytes)) return false;
  bytes_.emplace(local, *bytes);
  return true;
}

}  // namespace quill::plan
