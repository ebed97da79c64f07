#include "plan/host/wildcards.h"

namespace quill::plan {

namespace {

// The shell has expanded what it would; a name that still holds `*` is a name.
class ShellWildcards : public Wildcards {
 public:
  std::vector<std::string> Expand(const std::string& path) override { return {path}; }
};

}  // namespace

std::unique_ptr<Wildcards> MakeWildcards() { return std::make_unique<ShellWildcards>(); }

}  // namespace quill::plan
