#include "plan/report/spilled_records.h"

#include <algorithm>
#include <cstring>

namespace quill::plan {

namespace {

constexpr size_t kChunk = 64u << 10;

}  // namespace

void SpilledRecords::Add(std::string_view record) {
  const auto size = static_cast<uint32_t>(record.size());
  pending_.append(reinterpret_cast<const char*>(&size), sizeof size);
  pending_.append(record);
  if (pending_.size() >= held_) Write();
}

void SpilledRecords::clear() {
  written_ = 0;
  pending_.clear();
  no_file_ = false;
}

// Whole records at a time: none lies partly in the file, partly in memory.
void SpilledRecords::Write() {
  if (no_file_) return;
  if (!file_) file_ = MakeScratchFile();
  if (!file_ || !file_->Write(written_, pending_.data(), pending_.size())) {
    no_file_ = true;
    return;
  }
  written_ += pending_.size();
  pending_.clear();
}

bool SpilledRecords::Reader::Next(std::string_view* record) {
  std::string_view bytes;
  uint32_t size = 0;
  if (!Bytes(sizeof size, &bytes)) return false;
  std::memcpy(&size, bytes.data(), sizeof size);
  return Bytes(size, record);
}

bool SpilledRecords::Reader::Bytes(size_t size, std::string_view* bytes) {
  const SpilledRecords& records = *records_;
  if (at_ >= records.written_) {
    const uint64_t from = at_ - records.written_;
    if (from + size > records.pending_.size()) return false;
    *bytes = std::string_view(records.pending_).substr(from, size);
    at_ += size;
    return true;
  }
  if (at_ < chunk_at_ || at_ + size > chunk_at_ + chunk_.size()) {
    const uint64_t wanted = std::min<uint64_t>(std::max(kChunk, size), records.written_ - at_);
    if (wanted < size) return false;
    chunk_.resize(wanted);
    chunk_at_ = at_;
    size_t done = 0;
    while (done < wanted) {
      size_t got = 0;
      if (!records.file_->Read(at_ + done, chunk_.data() + done, wanted - done, &got) || got == 0) {
        chunk_.clear();
        return false;
      }
      done += got;
    }
  }
  *bytes = std::string_view(chunk_).substr(at_ - chunk_at_, size);
  at_ += size;
  return true;
}

}  // namespace quill::plan
