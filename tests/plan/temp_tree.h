#ifndef QUILL_TESTS_PLAN_TEMP_TREE_H_
#define QUILL_TESTS_PLAN_TEMP_TREE_H_

// A directory of the host that a test fills and that goes away with it.
#include <string>

namespace quill::plan {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  // `relative` with "/" between names; parent directories are made.
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
  std::string File(const std::string& relative, const std::string& bytes) const;
  std::string Directory(const std::string& relative) const;

 private:
  std::string root_;
};

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_TEMP_TREE_H_
