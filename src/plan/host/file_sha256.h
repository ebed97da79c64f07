#ifndef QUILL_PLAN_HOST_FILE_SHA256_H_
#define QUILL_PLAN_HOST_FILE_SHA256_H_

// A file's SHA-256 by the host's own well-kept code: OpenSSL's libcrypto
// on Linux, CryptoAPI on Windows. Read in blocks, so memory stays the same
// whatever the file's size.
#include <string>

namespace quill::plan {

// The 32 bytes of the digest of the local file `utf8_path`; false when it
// cannot be opened or read whole.
bool FileSha256(const std::string& utf8_path, std::string* digest);

// The same for bytes already in memory.
bool BytesSha256(const std::string& bytes, std::string* digest);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_FILE_SHA256_H_
