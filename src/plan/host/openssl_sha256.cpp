#include <openssl/evp.h>

#include <fstream>
#include <memory>
#include <vector>

#include "plan/host/file_sha256.h"
#include "plan/host/host_path.h"

namespace quill::plan {

namespace {

constexpr size_t kBlock = 1 << 20;

using Context = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

bool Finish(EVP_MD_CTX* context, std::string* digest) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context, out, &length) != 1) return false;
  digest->assign(reinterpret_cast<char*>(out), length);
  return true;
}

}  // namespace

bool FileSha256(const std::string& utf8_path, std::string* digest) {
  std::ifstream in(HostPath(utf8_path), std::ios::binary);
  if (!in) return false;
  Context context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return false;
  std::vector<char> block(kBlock);
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::streamsize got = in.gcount();
    if (got > 0 && EVP_DigestUpdate(context.get(), block.data(), static_cast<size_t>(got)) != 1) {
      return false;
    }
  }
  return in.eof() && Finish(context.get(), digest);
}

bool BytesSha256(const std::string& bytes, std::string* digest) {
  Context context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  return context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1 &&
         EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) == 1 &&
         Finish(context.get(), digest);
}

}  // namespace quill::plan
