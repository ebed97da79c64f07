#include "plan/windows/hash_lines.h"

#include <filesystem>

#include "base/utf.h"

namespace quill::plan {

std::string Sha256sumLine(const std::string& hex, const std::string& path) {
  std::string escaped;
  for (char c : path) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped += c;
    }
  }
  return (escaped == path ? "" : "\\") + hex + "  " + escaped + "\n";
}

std::string ListedPath(const std::string& utf8_path, const std::string& current) {
  namespace fs = std::filesystem;
  fs::path path = fs::u8path(utf8_path);
  if (path.is_absolute()) {
    const fs::path relative = path.lexically_relative(fs::u8path(current));
    if (!relative.empty()) path = relative;
  }
  std::string listed = path.generic_u8string();
  return listed;
}

std::string NotAWindowsName(const std::string& utf8_path) {
  for (unsigned char c : utf8_path) {
    if (c < 0x20 || c == 0x7F) return "no Windows name holds a control character";
  }
  if (ToUtf8(FromUtf8(utf8_path)) != utf8_path) {
    return "the name is not UTF-8 text, which the run reads the list as";
  }
  return "";
}

}  // namespace quill::plan
