#ifndef QUILL_PLAN_REPORT_SPILLED_RECORDS_H_
#define QUILL_PLAN_REPORT_SPILLED_RECORDS_H_

// Records written once and read back in order: up to a bound they stay in
// memory, past it they go to a scratch file, made only then. Where none
// can be made, or the disk refuses a write, they stay in memory: a report
// had rather grow than lose a row.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "plan/host/scratch_file.h"

namespace quill::plan {

class SpilledRecords {
 public:
  // `held`: the bytes kept in memory before they are written out.
  explicit SpilledRecords(size_t held = 64u << 10) : held_(held) {}
  SpilledRecords(SpilledRecords&&) noexcept = default;
  SpilledRecords& operator=(SpilledRecords&&) noexcept = default;

  void Add(std::string_view record);
  // Empty again; the file is kept for the next records.
  void clear();
  bool empty() const { return written_ == 0 && pending_.empty(); }

  class Reader {
   public:
    explicit Reader(const SpilledRecords& records) : records_(&records) {}
    // The next record, valid until the next call; false at the end, or
    // when the file did not give it back.
    bool Next(std::string_view* record);

   private:
    bool Bytes(size_t size, std::string_view* bytes);

    const SpilledRecords* records_;
    uint64_t at_ = 0;
    uint64_t chunk_at_ = 0;
    std::string chunk_;  // bytes of the file from chunk_at_
  };

 private:
  void Write();

  size_t held_;
  std::unique_ptr<ScratchFile> file_;
  bool no_file_ = false;
  uint64_t written_ = 0;  // bytes in the file
  std::string pending_;   // after them, not written
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_SPILLED_RECORDS_H_
