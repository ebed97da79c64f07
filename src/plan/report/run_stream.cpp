#include "plan/report/run_stream.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "plan/threads/workers.h"

namespace quill::plan {

namespace {

// More stretches than this gain nothing on the machines the tool runs on.
constexpr size_t kMostStretches = 8;

// A run read from a stretch, numbered as a line of the whole log.
void Renumber(int64_t lines_before, RunRow* run) {
  run->line += lines_before;
  for (AppRow& app : run->applications) app.line += lines_before;
}

}  // namespace

void RunReader::TakeLine(std::string_view line, int64_t number) {
  tally_.lines = number;
  if (FindRecords(line, number, &records_)) {
    ++tally_.unknown_lines;
    if (tally_.first_unknown_lines.size() < LogTally::kUnknownLinesKept) {
      tally_.first_unknown_lines.push_back(number);
    }
  }
  for (const RecordSpan& record : records_) builder_.Take(record);
}

void RunReader::Feed(const char* bytes, size_t size) {
  lines_.Feed(bytes, size, [this](std::string_view line, int64_t number) { TakeLine(line, number); });
}

void RunReader::End() {
  lines_.End([this](std::string_view line, int64_t number) { TakeLine(line, number); });
  builder_.Finish();
  tally_.records_outside_runs = builder_.records_outside_runs();
}

void RunReader::Reset() {
  lines_ = LogLines();
  builder_.Reset();
  tally_ = LogTally();
}

RunStream::RunStream(ByteSource& source, Workers* workers, size_t batch)
    : source_(source), workers_(workers), batch_(std::max<size_t>(batch, 1)) {
  readers_.push_back(std::make_unique<RunReader>());
}

RunStream::~RunStream() = default;

bool RunStream::Next(RunRow* run) {
  for (;;) {
    for (; handing_out_ < stretches_.size(); ++handing_out_) {
      const Stretch& stretch = stretches_[handing_out_];
      if (stretch.reader->Next(run)) {
        Renumber(stretch.first_line - 1, run);
        return true;
      }
    }
    if (ended_) return false;
    ReadBatch();
  }
}

// The first piece is small: most logs are a few kilobytes.
void RunStream::ReadBatch() {
  const bool first = buffer_.empty();
  const size_t filled = Fill(workers_ != nullptr && !first ? batch_ : std::min(kFirstPiece, batch_));
  Cut(workers_ != nullptr && !first ? filled : 0);
  std::string_view bytes(buffer_.data(), filled);
  for (size_t i = 0; i < stretches_.size(); ++i) {
    Stretch& stretch = stretches_[i];
    const size_t end = i + 1 < stretches_.size() ? static_cast<size_t>(stretches_[i + 1].bytes - buffer_.data())
                                                 : filled;
    stretch.size = end - static_cast<size_t>(stretch.bytes - buffer_.data());
    stretch.ends = i + 1 < stretches_.size() || source_ended_;
  }
  auto read = [this](size_t i) {
    const Stretch& stretch = stretches_[i];
    stretch.reader->Feed(stretch.bytes, stretch.size);
    if (stretch.ends) stretch.reader->End();
  };
  if (stretches_.size() == 1) {
    read(0);
  } else {
    workers_->Run(stretches_.size(), read);
  }
  // Each stretch's lines are known once it is read: the next is numbered on from them.
  for (size_t i = 0; i < stretches_.size(); ++i) {
    if (i > 0) stretches_[i].first_line = stretches_[i - 1].first_line + stretches_[i - 1].reader->tally().lines;
    if (stretches_[i].ends) Counted(stretches_[i]);
  }
  // The last stretch goes on into the next batch.
  const size_t last = stretches_.size() - 1;
  first_line_ = stretches_[last].first_line;
  std::swap(readers_[0], readers_[last]);
  ended_ = source_ended_;
}

// Up to `want` bytes into the buffer, fewer only at the end of the log.
size_t RunStream::Fill(size_t want) {
  buffer_.resize(want);
  size_t filled = 0;
  while (filled < want && !source_ended_) {
    size_t got = 0;
    if (!source_.Read(buffer_.data() + filled, want - filled, &got)) {
      tally_.read_failed = true;
      got = 0;
    }
    source_ended_ = got == 0;
    filled += got;
  }
  return filled;
}

// The batch's stretches: the one going on, then one from each banner found
// near an equal share of `cut_from` bytes; 0 keeps the batch whole.
void RunStream::Cut(size_t cut_from) {
  stretches_.clear();
  handing_out_ = 0;
  stretches_.push_back({readers_[0].get(), first_line_, buffer_.data(), 0, false});
  const size_t wanted = cut_from == 0 ? 1 : std::clamp<size_t>(workers_->Count(), 2, kMostStretches);
  const std::string_view bytes(buffer_.data(), cut_from);
  for (size_t i = 1; i < wanted; ++i) {
    const size_t previous = static_cast<size_t>(stretches_.back().bytes - buffer_.data());
    const size_t at = FindRunStart(bytes, std::max(previous + 1, cut_from * i / wanted));
    if (at == std::string_view::npos) break;
    if (readers_.size() <= i) readers_.push_back(std::make_unique<RunReader>());
    readers_[i]->Reset();
    stretches_.push_back({readers_[i].get(), 0, buffer_.data() + at, 0, false});
  }
}

// What a stretch held besides its runs, counted into the log's.
void RunStream::Counted(const Stretch& stretch) {
  const LogTally& part = stretch.reader->tally();
  const int64_t before = stretch.first_line - 1;
  if (part.lines > 0) tally_.lines = before + part.lines;
  tally_.unknown_lines += part.unknown_lines;
  for (int64_t line : part.first_unknown_lines) {
    if (tally_.first_unknown_lines.size() == LogTally::kUnknownLinesKept) break;
    tally_.first_unknown_lines.push_back(before + line);
  }
  tally_.records_outside_runs += part.records_outside_runs;
}

bool TextSource::Read(char* into, size_t size, size_t* got) {
  *got = std::min(size, text_.size() - at_);
  std::memcpy(into, text_.data() + at_, *got);
  at_ += *got;
  return true;
}

}  // namespace quill::plan
