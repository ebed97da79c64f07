#include "runner/windows_path.h"

#include <vector>

#include "base/ascii.h"

namespace quill {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool HasDrive(const WString& path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == u':';
}

bool IsUnc(const WString& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The part no ".." may climb above: "C:" or "\\server\share".
size_t RootLength(const WString& path) {
  if (HasDrive(path)) return 2;
  if (!IsUnc(path)) return 0;
  size_t seen = 0;
  for (size_t i = 2; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && ++seen == 2) return i;
  }
  return path.size();
}

// "\\server\share" with a name for each.
bool IsGoodShare(const WString& root) {
  const size_t slash = root.find_first_of(u"\\/", 2);
  if (slash == WString::npos) return false;
  const WString server = root.substr(2, slash - 2);
  const WString share = root.substr(slash + 1);
  for (const WString& name : {server, share}) {
    if (name.empty() || name == u"." || name == u"..") return false;
  }
  return true;
}

WString Normalised(const WString& joined) {
  const size_t root_length = RootLength(joined);
  if (IsUnc(joined) && !IsGoodShare(joined.substr(0, root_length))) return WString();
  WString root = joined.substr(0, root_length);
  for (char16_t& c : root) {
    if (c == u'/') c = u'\\';
  }
  std::vector<WString> steps;
  WString step;
  for (size_t i = root_length; i <= joined.size(); ++i) {
    if (i < joined.size() && !IsSeparator(joined[i])) {
      step += joined[i];
      continue;
    }
    if (step == u"..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != u".") {
      steps.push_back(step);
    }
    step.clear();
  }
  WString full = root;
  for (const WString& each : steps) full += u"\\" + each;
  return steps.empty() ? full + u"\\" : full;
}

}  // namespace

WString FullWindowsPath(const WString& path, const WString& folder) {
  if (IsUnc(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]))) {
    return Normalised(path);
  }
  if (!path.empty() && IsSeparator(path[0])) {
    return Normalised(folder.substr(0, RootLength(folder)) + path);
  }
  // "C:x" is relative to drive C's own current folder, which only the
  // folder given here can stand for when it lies on that drive.
  if (HasDrive(path)) {
    const bool same_drive =
        HasDrive(folder) && PathKey(folder.substr(0, 1)) == PathKey(path.substr(0, 1));
    return same_drive ? Normalised(folder + u"\\" + path.substr(2)) : WString();
  }
  return Normalised(folder + u"\\" + path);
}

bool IsFullWindowsPath(const WString& path) {
  return IsUnc(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]));
}

bool IsResolvedFullPath(const WString& path) {
  return IsFullWindowsPath(path) && FullWindowsPath(path, WString()) == path;
}

WString PathKey(const WString& full_path) { return UpperCaseAtoZ(full_path); }

WString ParentFolder(const WString& full_path) {
  const size_t slash = full_path.find_last_of(u"\\/");
  return slash == WString::npos ? WString() : full_path.substr(0, slash);
}

}  // namespace quill
