#ifndef QUILL_PLAN_WINDOWS_MACHINE_FILES_H_
#define QUILL_PLAN_WINDOWS_MACHINE_FILES_H_

// The planned machine's files: what exists there and what a file holds,
// answered by a binding (a file named on the command line for one Windows
// path), else by the path mappings, else by the assumption, which the plan
// then shows.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "plan/windows/path_map.h"
#include "platform/wide_string.h"

namespace quill::plan {

enum class Assumption { kPresent, kMissing };

enum class AnswerBasis { kBound, kMapped, kAssumed };

const char* BasisName(AnswerBasis basis);

struct FileAnswer {
  bool exists = false;
  uint32_t attributes = 0;  // the platform's value; kInvalidFileAttributes when missing
  AnswerBasis basis = AnswerBasis::kAssumed;
  std::string local;        // the local path that answered, if any
};

class MachineFiles {
 public:
  MachineFiles(PathMap map, Assumption assumption);

  Assumption assumption() const { return assumption_; }
  void Bind(const WString& windows_path, const std::string& local_file);

  // Remembered unless told not to, where the caller keeps the answer.
  FileAnswer Question(const WString& windows_path, bool remember = true);
  // The local file that answers for a Windows path; empty when none does.
  std::string Locate(const WString& windows_path);
  // The Windows path a mapping gives a local path; nothing outside them.
  std::optional<WString> WindowsPathOf(const std::string& local) const {
    return map_.ToWindows(local);
  }
  // The file's bytes when a binding or a mapping gives a readable file.
  bool ReadBytes(const WString& windows_path, std::string* bytes);

 private:
  std::string LocalFor(const WString& windows_path, AnswerBasis* basis,
                       LocalKind* kind = nullptr);

  PathMap map_;
  Assumption assumption_;
  std::unordered_map<WString, std::string> bound_;      // by lower-case resolved path
  std::unordered_map<WString, int> bound_names_;        // their last names, lower case
  std::unordered_map<WString, FileAnswer> answers_;     // asked before, by path key
  std::unordered_map<WString, FileAnswer> by_spelling_;  // asked before, as written
  std::unordered_map<std::string, std::string> bytes_;  // read before, by local path
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_MACHINE_FILES_H_
