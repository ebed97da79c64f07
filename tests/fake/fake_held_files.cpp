// The fake's held files: SHA-256 by OpenSSL over the bytes in memory.
#include <openssl/evp.h>

#include "fake_platform.h"

namespace quill {

HoldResult FakePlatform::HoldAndHash(const WString& path, std::string* digest, HeldFile* file) {
  Record("HoldAndHash " + Narrow(path));
  const auto it = entries_.find(Key(path));
  if (Fails("HoldAndHash") || it == entries_.end() || it->second.directory ||
      it->second.unreadable) {
    return HoldResult::kCannotOpen;
  }
  for (size_t at = 3; at <= path.size(); ++at) {
    if ((at == path.size() || path[at] == u'\\') && reparse_points.count(Key(path.substr(0, at)))) {
      return HoldResult::kThroughLink;
    }
  }
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (Fails("HashFile") || EVP_Digest(it->second.bytes.data(), it->second.bytes.size(), out,
                                      &length, EVP_sha256(), nullptr) != 1) {
    return HoldResult::kCannotHash;
  }
  digest->assign(reinterpret_cast<char*>(out), length);
  *file = next_handle_++;
  held_[*file] = it->first;
  if (while_held) while_held(path);
  return HoldResult::kHeld;
}

void FakePlatform::ReleaseHeld(HeldFile file) {
  const auto it = held_.find(file);
  Record("ReleaseHeld " + (it == held_.end() ? std::string("?") : it->second));
  if (it != held_.end()) held_.erase(it);
}

bool FakePlatform::RunsHeldFile(ProcessHandle process, HeldFile file) {
  Record("RunsHeldFile");
  const auto held = held_.find(file);
  const auto started = processes_.find(process);
  return !Fails("RunsHeldFile") && held != held_.end() && started != processes_.end() &&
         started->second.image == held->second;
}

WString FakePlatform::SystemFolder() {
  Record("SystemFolder");
  return system_folder;
}

bool FakePlatform::WriteFile(const WString& path, const std::string& bytes) {
  const std::string key = Key(path);
  for (const auto& held : held_) {
    if (held.second == key) return false;
  }
  entries_[key].bytes = bytes;
  return true;
}

}  // namespace quill
