#include "plan/planning/language_class.h"

#include <memory>
#include <utility>

#include "base/run_context.h"
#include "platform/file_system.h"
#include "runner/application_command.h"

namespace quill::plan {

namespace {

// A private-use character: no language table or INI file means it.
constexpr char16_t kMarker = u'\uE000';

bool IsPlain(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         c == u'-' || c == u'_';
}

// Every folder missing or every one there; the questions as asked.
class FolderProbe : public FileSystem {
 public:
  explicit FolderProbe(bool there) : there_(there) {}
  uint32_t GetAttributes(const WString& path) override {
    asked.push_back(path);
    return there_ ? kFileAttributeDirectory : kInvalidFileAttributes;
  }
  bool SetAttributes(const WString&, uint32_t) override { return false; }
  bool MakeDirectory(const WString&) override { return false; }
  bool Copy(const WString&, const WString&, bool) override { return false; }
  WString CurrentDirectory(size_t) override { return WString(); }
  std::unique_ptr<AppendFile> OpenForAppend(const WString&) override { return nullptr; }
  bool ReadFileBytes(const WString&, std::string*) override { return false; }
  bool ReadFileStamp(const WString&, FileStamp*) override { return false; }
  WString FullPath(const WString&) override { return WString(); }
  bool LocateFile(const WString&, FilePlace*) override { return false; }

  std::vector<WString> asked;

 private:
  bool there_;
};

}  // namespace

WString LanguageMarker(size_t length) { return WString(length, kMarker); }

bool HoldsMarker(const WString& text) { return text.find(kMarker) != WString::npos; }

WString PutCode(const WString& text, const WString& code) {
  if (!HoldsMarker(text)) return text;
  WString put = text;
  ReplaceAll(put, LanguageMarker(code.size()), code);
  return put;
}

bool MarkerFree(const IniFile& ini) {
  for (const IniSection& section : ini.sections()) {
    if (ini.Name(section).contains(kMarker)) return false;
    for (const IniKey& key : ini.Keys(section)) {
      if (ini.Name(key).contains(kMarker) || ini.Value(key).contains(kMarker)) return false;
    }
  }
  return true;
}

bool SharesRuns(const WString& code) {
  if (code.empty()) return false;
  for (char16_t c : code) {
    if (!IsPlain(c)) return false;
  }
  RunContext context;
  context.LanguageCode = code;
  const WString so_far = u"A\\";
  for (bool there : {false, true}) {
    FolderProbe probe(there);
    WString switches = kLanguagePlaceholder;
    const int put = SubstituteLanguage(switches, so_far, context, probe);
    if (probe.asked != std::vector<WString>{so_far + code} || put != (there ? 1 : 0) ||
        switches != (there ? code : WString(kLanguagePlaceholder))) {
      return false;
    }
  }
  return true;
}

const std::vector<FileAnswer>& LanguageAnswers::For(const WString& marked_path,
                                                    size_t length) {
  auto found = known_.find(marked_path);
  if (found != known_.end()) return found->second;
  // Kept here, and not by the files as well: a marked question stands for
  // as many as there are languages.
  std::vector<FileAnswer> answers(codes_.size());
  for (size_t i = 0; i < codes_.size(); ++i) {
    // A code of another length never shares this marker's runs.
    if (codes_[i].size() == length) {
      answers[i] = files_.Question(PutCode(marked_path, codes_[i]), false);
    }
  }
  return known_.emplace(marked_path, std::move(answers)).first->second;
}

bool SameAnswer(const FileAnswer& a, const FileAnswer& b) {
  return a.exists == b.exists && a.attributes == b.attributes && a.basis == b.basis;
}

FileAnswer LanguageClass::Answer(const WString& marked_path) {
  const std::vector<FileAnswer>& answers = answers_.For(marked_path, length_);
  const FileAnswer& first = answers[members_.front()];
  std::vector<int> kept;
  for (int member : members_) {
    (SameAnswer(answers[member], first) ? kept : left_).push_back(member);
  }
  members_.swap(kept);
  return answers[members_.front()];
}

}  // namespace quill::plan
