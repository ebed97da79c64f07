#include "plan/host/file_version.h"

#include <cstdint>
#include <cstring>

namespace quill::plan {

namespace {

// The key the version resource's root block is named by, in UTF-16LE, and
// the signature its VS_FIXEDFILEINFO opens with, at the next 32-bit bound.
constexpr char kKey[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0";
constexpr size_t kKeyBytes = sizeof kKey - 1;
constexpr unsigned char kSignature[] = {0xBD, 0x04, 0xEF, 0xFE};
constexpr size_t kFixedBytes = 13 * 4;

uint32_t Word32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

bool FileVersionInBytes(const std::string& bytes, FileVersion* version) {
  const std::string key(kKey, kKeyBytes);
  for (size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1)) {
    // The block's header is three 16-bit words before its key; the record
    // starts at the next multiple of four from the block's start.
    if (at < 6) continue;
    const size_t block = at - 6;
    size_t fixed = at + kKeyBytes;
    fixed += (4 - (fixed - block) % 4) % 4;
    if (fixed + kFixedBytes > bytes.size() ||
        std::memcmp(bytes.data() + fixed, kSignature, sizeof kSignature) != 0) {
      continue;
    }
    const uint32_t most = Word32(bytes, fixed + 8);
    const uint32_t least = Word32(bytes, fixed + 12);
    version->parts[0] = static_cast<uint16_t>(most >> 16);
    version->parts[1] = static_cast<uint16_t>(most & 0xFFFF);
    version->parts[2] = static_cast<uint16_t>(least >> 16);
    version->parts[3] = static_cast<uint16_t>(least & 0xFFFF);
    return true;
  }
  return false;
}

}  // namespace quill::plan
