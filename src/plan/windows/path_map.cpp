#include "plan/windows/path_map.h"

#include <filesystem>
#include <system_error>

#include "base/utf.h"
#include "plan/host/host_path.h"
#include "plan/text/case_fold.h"

namespace quill::plan {

namespace fs = std::filesystem;

bool ParsePathMapping(const std::string& text, PathMapping* mapping) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
  mapping->windows_prefix = FromUtf8(text.substr(0, equals));
  mapping->local_directory = text.substr(equals + 1);
  return !WindowsPathNames(mapping->windows_prefix).empty();
}

std::vector<WString> WindowsPathNames(const WString& path) {
  std::vector<WString> names;
  WString name;
  auto finish = [&]() {
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ') && name != u"." &&
           name != u"..") {
      name.pop_back();
    }
    if (name == u"..") {
      if (names.size() > 1) names.pop_back();  // never above the drive
    } else if (!name.empty() && name != u".") {
      names.push_back(name);
    }
    name.clear();
  };
  for (char16_t c : path) {
    if (c == u'\\' || c == u'/') {
      finish();
    } else {
      name += c;
    }
  }
  finish();
  return names;
}

void PathMap::Add(const PathMapping& mapping) {
  mappings_.emplace_back(WindowsPathNames(mapping.windows_prefix), mapping.local_directory);
}

std::optional<WString> PathMap::ToWindows(const std::string& local_path) const {
  std::error_code error;
  const std::filesystem::path full =
      std::filesystem::absolute(std::filesystem::u8path(local_path), error);
  for (const auto& [names, directory] : mappings_) {
    const std::filesystem::path root =
        std::filesystem::absolute(std::filesystem::u8path(directory), error);
    const std::filesystem::path below =
        full.lexically_normal().lexically_relative(root.lexically_normal());
    if (error || below.empty() || *below.begin() == "..") continue;
    WString windows;
    for (const WString& name : names) windows += (windows.empty() ? u"" : u"\\") + name;
    for (const auto& step : below) {
      if (step != ".") windows += u"\\" + FromUtf8(step.u8string());
    }
    return windows;
  }
  return std::nullopt;
}

std::optional<std::string> PathMap::ToLocal(const WString& windows_path) {
  std::optional<LocalPath> local = Resolve(windows_path);
  if (!local) return std::nullopt;
  return std::move(local->path);
}

std::optional<LocalPath> PathMap::Resolve(const WString& windows_path) {
  const std::vector<WString> names = WindowsPathNames(windows_path);
  const std::pair<std::vector<WString>, std::string>* best = nullptr;
  for (const auto& mapping : mappings_) {
    const std::vector<WString>& prefix = mapping.first;
    if (prefix.size() > names.size()) continue;
    if (best != nullptr && prefix.size() <= best->first.size()) continue;
    bool matches = true;
    for (size_t i = 0; i < prefix.size() && matches; ++i) {
      matches = EqualPathNames(prefix[i], names[i]);
    }
    if (matches) best = &mapping;
  }
  if (best == nullptr) return std::nullopt;

  LocalPath local{best->second, LocalKind::kUnknown};
  for (size_t i = best->first.size(); i < names.size(); ++i) {
    local = ResolveName(local.path, names[i]);
  }
  return local;
}

LocalPath PathMap::ResolveName(const std::string& directory, const WString& name) {
  auto listing = listings_.find(directory);
  if (listing == listings_.end()) {
    Listing names;
    std::error_code error;
    fs::directory_iterator it(HostPath(directory), error);
    names.listed = !error;
    for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
      LocalPath entry{(fs::u8path(directory) / it->path().filename()).u8string(), LocalKind::kMissing};
      std::error_code type_error;
      if (it->exists(type_error) && !type_error) {
        entry.kind = it->is_directory(type_error) ? LocalKind::kDirectory : LocalKind::kFile;
      }
      names.by_name.emplace(LowerPathCase(FromUtf8(it->path().filename().u8string())),
                            std::move(entry));
    }
    // A listing cut short says nothing of the names it did not reach.
    names.listed = names.listed && !error;
    listing = listings_.emplace(directory, std::move(names)).first;
  }
  const auto found = listing->second.by_name.find(LowerPathCase(name));
  if (found != listing->second.by_name.end()) return found->second;
  const std::string exact = (fs::u8path(directory) / fs::u8path(ToUtf8(name))).u8string();
  return {exact, listing->second.listed ? LocalKind::kMissing : LocalKind::kUnknown};
}

}  // namespace quill::plan
