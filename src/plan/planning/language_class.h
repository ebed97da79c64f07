#ifndef QUILL_PLAN_PLANNING_LANGUAGE_CLASS_H_
#define QUILL_PLAN_PLANNING_LANGUAGE_CLASS_H_

// Languages that a run cannot tell apart, planned by one run of the core.
// A pass takes the language code in one place: the folder of that name under
// AppPath, put in place of "%LANG%". Such a run is made with a marker in
// place of the code, and each question whose path holds the marker is
// answered for every language of the class: those that answer otherwise
// leave it, to be planned by a run of their own. A code whose characters
// the core may read (a blank, a dot, a separator) or that has a fallback
// folder of its own is planned alone. The tests compare each cell with a
// run of the core for that cell alone.
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "plan/windows/ini_file.h"
#include "plan/windows/machine_files.h"
#include "platform/wide_string.h"

namespace quill::plan {

// The marker for codes of `length` characters: as long as they are, so
// that every length the core measures is the same.
WString LanguageMarker(size_t length);
bool HoldsMarker(const WString& text);
// `text` with each marker of the code's length replaced by the code.
WString PutCode(const WString& text, const WString& code);

// Whether the INI file leaves the marker to the shortcut: no text of it
// holds a marker character.
bool MarkerFree(const IniFile& ini);
// Letters, digits, "-" and "_", and the core asks no question for the code
// but that of its own folder.
bool SharesRuns(const WString& code);

// The answers to a marked question for every language, by index; asked of
// the files once for all the machines.
class LanguageAnswers {
 public:
  LanguageAnswers(std::vector<WString> codes, MachineFiles& files)
      : codes_(std::move(codes)), files_(files) {}
  // For the codes of the marker's `length`.
  const std::vector<FileAnswer>& For(const WString& marked_path, size_t length);
  const WString& code(int language) const { return codes_[language]; }

 private:
  std::vector<WString> codes_;
  MachineFiles& files_;
  std::unordered_map<WString, std::vector<FileAnswer>> known_;
};

// Alike for a run: whether the file is there, and what it is.
bool SameAnswer(const FileAnswer& a, const FileAnswer& b);

class LanguageClass {
 public:
  // Members whose codes are `length` long.
  LanguageClass(std::vector<int> members, size_t length, LanguageAnswers& answers)
      : members_(std::move(members)), length_(length), answers_(answers) {}
  // The answer of the class's first language; members that answer
  // otherwise move to left().
  FileAnswer Answer(const WString& marked_path);
  const std::vector<int>& members() const { return members_; }
  const std::vector<int>& left() const { return left_; }

 private:
  std::vector<int> members_;
  std::vector<int> left_;
  size_t length_;
  LanguageAnswers& answers_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_LANGUAGE_CLASS_H_
