#include "base/ascii.h"
#include "plan/host/file_sha256.h"
#include "plan/planning/plan_platform.h"
#include "runner/application_command.h"

namespace quill::plan {

HoldResult PlanPlatform::HoldAndHash(const WString& path, std::string* digest, HeldFile* file) {
  const std::string local = files_.Locate(path);
  if (local.empty()) return AssumedAsListed(path, digest, file);
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

HoldResult PlanPlatform::AssumedAsListed(const WString& path, std::string* digest, HeldFile* file) {
  if (files_.assumption() != Assumption::kPresent || listed_ == nullptr)
    return HoldResult::kCannotOpen;
  const auto found = listed_->find(PathKey(path));
  if (found == listed_->end() || found->second.sha256.size() != 64) return HoldResult::kCannotOpen;
  digest->clear();
  const std::string& hex = found->second.sha256;
  for (size_t i = 0; i < hex.size(); i += 2) {
    digest->push_back(static_cast<char>(HexDigit(static_cast<unsigned char>(hex[i])) * 16 +
                                        HexDigit(static_cast<unsigned char>(hex[i + 1]))));
  }
  *file = 1;
  return HoldResult::kHeld;
}

void PlanPlatform::ReleaseHeld(HeldFile) {}

bool PlanPlatform::RunsHeldFile(ProcessHandle, HeldFile) { return true; }

WString PlanPlatform::SystemFolder() { return u"C:\\WINDOWS\\system32"; }

}  // namespace quill::plan
