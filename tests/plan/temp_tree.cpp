#include "temp_tree.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

namespace quill::plan {

namespace fs = std::filesystem;

TempTree::TempTree() {
  static std::atomic<int> counter{0};
  std::random_device random;
  const fs::path base = fs::temp_directory_path() / ("quillplan-test-" + std::to_string(random()) +
                                                      "-" + std::to_string(counter++));
  fs::create_directories(base);
  root_ = base.string();
}

TempTree::~TempTree() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string TempTree::File(const std::string& relative, const std::string& bytes) const {
  const fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string TempTree::Directory(const std::string& relative) const {
  fs::create_directories(Path(relative));
  return Path(relative);
}

}  // namespace quill::plan
