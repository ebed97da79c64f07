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
      tally_.unused_records = builder_.unused_records();
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
  auto take = [this](std::string_view line, int64_t number, bool torn) {
    tally_.lines = number;
    if (FindRecords(line, number, &records_)) {
      ++tally_.unknown_lines;
      if (tally_.first_unknown_lines.size() < LogTally::kUnknownLinesKept) {
        tally_.first_unknown_lines.push_back(number);
      }
    }
    // A log that ends inside a record: the record's value is not whole,
    // and its run was cut short, whichever verb reads it.
    if (torn && !records_.empty()) {
      const RecordSpan last = records_.back();
      records_.pop_back();
      for (const RecordSpan& record : records_) builder_.Take(record);
      builder_.CutShort(last);
      return;
    }
    for (const RecordSpan& record : records_) builder_.Take(record);
  };
  size_t got = 0;
  if (!source_->Read(chunk_.get(), kChunk, &got)) {
    tally_.read_failed = true;
    got = 0;
  }
  if (got == 0) {
    lines_.End([&take](std::string_view line, int64_t number) { take(line, number, true); });
    return false;
  }
  lines_.Feed(chunk_.get(), got,
              [&take](std::string_view line, int64_t number) { take(line, number, false); });
  return true;
}

bool TextSource::Read(char* into, size_t size, size_t* got) {
  *got = std::min(size, text_.size() - at_);
  std::memcpy(into, text_.data() + at_, *got);
  at_ += *got;
  return true;
}

}  // namespace quill::plan
