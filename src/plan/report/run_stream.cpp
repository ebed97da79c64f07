#include "plan/report/run_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quill::plan {

const RunRow* RunStream::Next() {
  const RunRow* run = nullptr;
  while ((run = builder_.Next()) == nullptr) {
    if (ended_) return nullptr;
    ended_ = !ReadMore();
    if (ended_) {
      builder_.Finish();
      tally_.records_outside_runs = builder_.records_outside_runs();
    }
  }
  return run;
}

void RunStream::Restart(ByteSource& source) {
  source_ = &source;
  lines_ = LogLines();
  builder_.Reset();
  tally_ = LogTally();
  ended_ = false;
}

// One chunk of the log through lines and records into the builder; false
// at the end.
bool RunStream::ReadMore() {
  auto take = [this](std::string_view line, int64_t number) {
    tally_.lines = number;
    if (FindRecords(line, number, &records_)) {
      ++tally_.unknown_lines;
      if (tally_.first_unknown_lines.size() < LogTally::kUnknownLinesKept) {
        tally_.first_unknown_lines.push_back(number);
      }
    }
    for (const RecordSpan& record : records_) builder_.Take(record);
  };
  size_t got = 0;
  if (!source_->Read(chunk_.get(), kChunk, &got)) {
    tally_.read_failed = true;
    got = 0;
  }
  if (got == 0) {
    lines_.End(take);
    return false;
  }
  lines_.Feed(chunk_.get(), got, take);
  return true;
}

bool TextSource::Read(char* into, size_t size, size_t* got) {
  *got = std::min(size, text_.size() - at_);
  std::memcpy(into, text_.data() + at_, *got);
  at_ += *got;
  return true;
}

}  // namespace quill::plan
