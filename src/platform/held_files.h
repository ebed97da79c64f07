#ifndef QUILL_PLATFORM_HELD_FILES_H_
#define QUILL_PLATFORM_HELD_FILES_H_

// Why: an installer on a share is checked against a list of SHA-256 hashes
// before it runs. A check and a start that each open the file by its name
// leave a gap in which the file can be replaced, so the file is opened once,
// denying writes, hashed through that handle and held so until the
// installer has started. The hash is the platform's own cryptography; the
// tests hand in bytes and a call list.
#include <cstdint>
#include <string>

#include "platform/processes.h"
#include "platform/wide_string.h"

namespace quill {

using HeldFile = uint64_t;

enum class HoldResult {
  kHeld,         // open, writes denied, hashed
  kCannotOpen,   // missing, a folder, or open elsewhere for writing
  kCannotHash,   // opened, but its bytes or the hash could not be had
  kThroughLink,  // a folder on the way, or the file, is a junction or link
};

class HeldFiles {
 public:
  virtual ~HeldFiles() = default;

  // Opens `path` for reading, sharing it for reading only, and reads it
  // whole into SHA-256: `digest` gets the 32 bytes. On kHeld, `file` stays
  // open until ReleaseHeld; on anything else nothing is left open. A
  // junction or symbolic link on the way could be pointed elsewhere after
  // the hash, and is refused; with the file held, no folder above it can
  // be renamed or replaced.
  virtual HoldResult HoldAndHash(const WString& path, std::string* digest, HeldFile* file) = 0;
  virtual void ReleaseHeld(HeldFile file) = 0;
  // Whether `process` (started suspended) runs from the very file held:
  // the same volume and file index. A held file does not pin a junction
  // above it, so a start by name may open another. False when either
  // cannot be told.
  virtual bool RunsHeldFile(ProcessHandle process, HeldFile file) = 0;
  // The system folder (GetSystemDirectory), where the system's own
  // msiexec.exe lies; empty when the platform cannot give it.
  virtual WString SystemFolder() = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_HELD_FILES_H_
