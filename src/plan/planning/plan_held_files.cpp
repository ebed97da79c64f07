#include "plan/host/file_sha256.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

HoldResult PlanPlatform::HoldAndHash(const WString& path, std::string* digest, HeldFile* file) {
  const std::string local = files_.Locate(path);
  if (local.empty()) return HoldResult::kCannotOpen;
  // A matrix plans the same installer for many machines: hashed once.
  auto found = digests_.find(local);
  if (found == digests_.end()) {
    std::string computed;
    if (!FileSha256(local, &computed)) return HoldResult::kCannotHash;
    found = digests_.emplace(local, computed).first;
  }
  *digest = found->second;
  *file = 1;
  return HoldResult::kHeld;
}

void PlanPlatform::ReleaseHeld(HeldFile) {}

WString PlanPlatform::SystemFolder() { return u"C:\\WINDOWS\\system32"; }

}  // namespace quill::plan
