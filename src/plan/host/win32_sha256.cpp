#include <wincrypt.h>
#include <windows.h>

#include <vector>

#include "plan/host/file_sha256.h"
#include "plan/host/host_path.h"

namespace quill::plan {

namespace {

constexpr DWORD kBlock = 1 << 20;
// The headers give it only to builds for Server 2003 and later.
constexpr ALG_ID kCalgSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;

// One hash object of the AES provider, which alone offers SHA-256 on XP.
class Sha256 {
 public:
  Sha256() {
    if (CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      if (!CryptCreateHash(provider_, kCalgSha256, 0, 0, &hash_)) hash_ = 0;
    }
  }
  ~Sha256() {
    if (hash_ != 0) CryptDestroyHash(hash_);
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool Add(const char* bytes, DWORD size) {
    return hash_ != 0 && CryptHashData(hash_, reinterpret_cast<const BYTE*>(bytes), size, 0);
  }
  bool Finish(std::string* digest) {
    BYTE out[32];
    DWORD size = sizeof out;
    if (hash_ == 0 || !CryptGetHashParam(hash_, HP_HASHVAL, out, &size, 0)) return false;
    digest->assign(reinterpret_cast<char*>(out), size);
    return true;
  }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

}  // namespace

bool FileSha256(const std::string& utf8_path, std::string* digest) {
  HANDLE file = CreateFileW(HostPath(utf8_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  Sha256 sha;
  std::vector<char> block(kBlock);
  bool whole = false;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, block.data(), kBlock, &got, nullptr)) break;
    if (got == 0) {
      whole = true;
      break;
    }
    if (!sha.Add(block.data(), got)) break;
  }
  CloseHandle(file);
  return whole && sha.Finish(digest);
}

bool BytesSha256(const std::string& bytes, std::string* digest) {
  Sha256 sha;
  return sha.Add(bytes.data(), static_cast<DWORD>(bytes.size())) && sha.Finish(digest);
}

}  // namespace quill::plan
