#include "plan/report/log_records.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quill::plan {

namespace {

// Every record the program writes. The third banner line is the first one
// again; which it is, the block tells.
std::vector<LogRecord> AllRecords() {
  std::vector<LogRecord> records;
  for (int k = 0; k <= static_cast<int>(kLastLogRecord); ++k) {
    if (static_cast<LogRecord>(k) != LogRecord::kBannerThirdLine)
      records.push_back(static_cast<LogRecord>(k));
  }
  return records;
}

constexpr char16_t kTextHole = 0x0001;
constexpr int32_t kNumberHole = -1234567890;

// A record's text as fixed pieces with holes between them, one byte a
// character as the log holds it.
struct Pattern {
  LogRecord record;
  std::vector<std::string> pieces;  // holes + 1 pieces; line ends dropped from the last
  bool readable = true;             // false: a character of it is past one byte
};

Pattern MakePattern(LogRecord record) {
  WString text = FormatLogRecord(record, {{WString(1, kTextHole), WString(1, kTextHole)}, kNumberHole});
  const std::string number = std::to_string(kNumberHole);
  const size_t at = text.find(WString(number.begin(), number.end()));
  if (at != WString::npos) text = text.substr(0, at) + kTextHole + text.substr(at + number.size());
  while (!text.empty() && text.back() == u'\n') text.pop_back();

  Pattern pattern{record, {}, true};
  std::string piece;
  for (char16_t c : text) {
    if (c == kTextHole) {
      pattern.pieces.push_back(piece);
      piece.clear();
      continue;
    }
    pattern.readable = pattern.readable && c < 0x100;
    piece += static_cast<char>(c);
  }
  pattern.pieces.push_back(piece);
  return pattern;
}

// A pattern as the finder matches it: its opening, and the pieces that
// close its holes.
struct Opening {
  std::string_view text;
  LogRecord record = LogRecord::kBannerFirstLine;
  std::vector<std::string_view> middles;  // between holes, in order
  std::string_view last;                  // after the last hole
  size_t holes = 0;

  bool At(const char* at, const char* end) const {
    return static_cast<size_t>(end - at) >= text.size() &&
           std::memcmp(at, text.data(), text.size()) == 0;
  }

  // Fills the values of the record [at, end) into `record`; a record that
  // does not close as its text does fills what it holds and gives false.
  bool Fill(const char* at, const char* end, RecordSpan* record) const {
    std::string_view rest(at + text.size(), static_cast<size_t>(end - at) - text.size());
    if (holes == 0) return rest.empty();
    for (std::string_view middle : middles) {
      const size_t found = rest.find(middle);
      if (found == std::string_view::npos) {
        record->values[record->value_count++] = rest;
        return false;
      }
      record->values[record->value_count++] = rest.substr(0, found);
      rest.remove_prefix(found + middle.size());
    }
    const bool whole = rest.size() >= last.size() &&
                       rest.compare(rest.size() - last.size(), last.size(), last) == 0;
    record->values[record->value_count++] =
        whole ? rest.substr(0, rest.size() - last.size()) : rest;
    return whole;
  }
};

// The openings by their first byte, longer openings first: "RESULT   =>
// Command finished" before "RESULT   => ". The openings point into the
// patterns' own strings, which are never moved once made.
class PatternTable {
 public:
  PatternTable() : patterns_(SortedPatterns()) {
    openings_.reserve(patterns_.size());
    for (const Pattern& pattern : patterns_) {
      if (!pattern.readable) continue;
      Add(pattern);
      const auto first = static_cast<unsigned char>(pattern.pieces.front()[0]);
      if (first_count_[first]++ == 0) first_at_[first] = openings_.size() - 1;
    }
    const Pattern& stars = MakePattern(LogRecord::kBannerFirstLine);
    banner_first_line_ = stars.pieces.front();
  }

  // The opening that stands at `at`, if any.
  const Opening* OpeningAt(const char* at, const char* end) const {
    if (at == end) return nullptr;
    const auto first = static_cast<unsigned char>(*at);
    const Opening* opening = openings_.data() + first_at_[first];
    for (const Opening* last = opening + first_count_[first]; opening != last; ++opening) {
      if (opening->At(at, end)) return opening;
    }
    return nullptr;
  }

  // The next opening after `opening` that also stands at `at`, if any.
  const Opening* NextOpening(const Opening* opening, const char* at, const char* end) const {
    const auto first = static_cast<unsigned char>(*at);
    const Opening* const last = openings_.data() + first_at_[first] + first_count_[first];
    for (++opening; opening < last; ++opening) {
      if (opening->At(at, end)) return opening;
    }
    return nullptr;
  }

  // Where the banner's first line ends [from, end) after other text, or
  // nullptr: a run torn mid-record that the next run's banner went on from.
  const char* BannerAfterText(const char* from, const char* end) const {
    const size_t size = banner_first_line_.size();
    if (static_cast<size_t>(end - from) <= size) return nullptr;
    const char* const stars = end - size;
    return std::memcmp(stars, banner_first_line_.data(), size) == 0 ? stars : nullptr;
  }

 private:
  // Those of one first byte side by side, the longer first.
  static std::vector<Pattern> SortedPatterns() {
    std::vector<Pattern> patterns;
    for (LogRecord record : AllRecords()) patterns.push_back(MakePattern(record));
    std::stable_sort(patterns.begin(), patterns.end(), [](const Pattern& a, const Pattern& b) {
      const auto x = static_cast<unsigned char>(a.pieces.front()[0]);
      const auto y = static_cast<unsigned char>(b.pieces.front()[0]);
      return x != y ? x < y : a.pieces.front().size() > b.pieces.front().size();
    });
    return patterns;
  }

  void Add(const Pattern& pattern) {
    const size_t holes = pattern.pieces.size() - 1;
    // A record text this reader has no room for: make room.
    if (pattern.pieces.front().empty() || holes > RecordSpan::kMostValues) std::abort();
    Opening& added = openings_.emplace_back();
    added.text = pattern.pieces.front();
    added.record = pattern.record;
    added.holes = holes;
    for (size_t i = 1; i + 1 < pattern.pieces.size(); ++i)
      added.middles.push_back(pattern.pieces[i]);
    added.last = pattern.pieces.back();
  }

  std::vector<Pattern> patterns_;
  std::vector<Opening> openings_;
  size_t first_at_[0x100] = {};      // the first opening of each first byte
  uint8_t first_count_[0x100] = {};  // how many openings start with it
  std::string banner_first_line_;
};

const PatternTable& Patterns() {
  static const PatternTable table;
  return table;
}

}  // namespace

bool FindRecords(std::string_view line, int64_t number, std::vector<RecordSpan>* records) {
  const PatternTable& table = Patterns();
  records->clear();
  const char* at = line.data();
  const char* const end = at + line.size();
  // A crash or a power cut can leave NUL bytes where text was to come:
  // counted, and the record after them read.
  while (at != end && *at == '\0') ++at;
  bool unknown = at != line.data();
  if (at == end) return unknown;
  const char* const stars = table.BannerAfterText(at, end);
  const char* const record_end = stars != nullptr ? stars : end;
  if (const Opening* opening = table.OpeningAt(at, record_end)) {
    // Records that share an opening are told apart by the rest of their text.
    RecordSpan record;
    bool whole = false;
    for (const Opening* other = opening; other != nullptr && !whole;
         other = table.NextOpening(other, at, record_end)) {
      RecordSpan tried;
      tried.record = other->record;
      tried.line = number;
      whole = other->Fill(at, record_end, &tried);
      if (whole || other == opening) record = tried;
    }
    record.cut_short = !whole || stars != nullptr;
    records->push_back(record);
  } else {
    unknown = true;
  }
  if (stars != nullptr) {
    RecordSpan& banner = records->emplace_back();
    banner.record = LogRecord::kBannerFirstLine;
    banner.line = number;
  }
  return unknown;
}

size_t FindLineEnds(const char* from, const char* to, const char** ends, size_t most) {
  size_t found = 0;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  auto ends_in = [&](const char* at) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<uint64_t>(static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)))));
  };
  for (; to - from >= 64; from += 64) {
    uint64_t marked = ends_in(from) | ends_in(from + 16) << 16 | ends_in(from + 32) << 32 |
                      ends_in(from + 48) << 48;
    for (; marked != 0; marked &= marked - 1) {
      ends[found++] = from + __builtin_ctzll(marked);
      if (found == most) return found;
    }
  }
  for (; to - from >= 16; from += 16) {
    uint64_t marked = ends_in(from);
    for (; marked != 0; marked &= marked - 1) {
      ends[found++] = from + __builtin_ctz(marked);
      if (found == most) return found;
    }
  }
#endif
  for (; from < to; ++from) {
    if (*from != '\r' && *from != '\n') continue;
    ends[found++] = from;
    if (found == most) return found;
  }
  return found;
}

bool ReadLogLine(std::string_view line, int64_t number, std::vector<ReadRecord>* records) {
  std::vector<RecordSpan> spans;
  const bool unknown = FindRecords(line, number, &spans);
  for (const RecordSpan& span : spans) {
    ReadRecord record{span.record, {}, span.cut_short, span.line};
    for (size_t i = 0; i < span.value_count; ++i) {
      const auto* first = reinterpret_cast<const unsigned char*>(span.values[i].data());
      record.values.emplace_back(first, first + span.values[i].size());
    }
    records->push_back(std::move(record));
  }
  return unknown;
}

ReadLog ReadLogRecords(const std::string& bytes) {
  ReadLog log;
  auto take = [&log](std::string_view line, int64_t number) {
    if (ReadLogLine(line, number, &log.records)) log.unknown_lines.push_back(number);
  };
  LogLines lines;
  lines.Feed(bytes.data(), bytes.size(), take);
  lines.End(take);
  return log;
}

}  // namespace quill::plan
