#ifndef QUILL_PLAN_HOST_SCRATCH_FILE_H_
#define QUILL_PLAN_HOST_SCRATCH_FILE_H_

// Room on disk for what a report reads more of than it should hold in
// memory (the applications of a run of millions of them). The file has no
// name once made, or goes with its handle, so nothing is left behind
// whatever ends the process.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace quill::plan {

class ScratchFile {
 public:
  virtual ~ScratchFile() = default;
  // False when the disk refused some of them.
  virtual bool Write(uint64_t offset, const char* bytes, size_t size) = 0;
  // Up to `size` bytes; false when the read failed.
  virtual bool Read(uint64_t offset, char* into, size_t size, size_t* got) = 0;
};

// In the system's folder for temporary files; null when none can be made.
std::unique_ptr<ScratchFile> MakeScratchFile();

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_SCRATCH_FILE_H_
