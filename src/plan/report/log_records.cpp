#include "plan/report/log_records.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quill::plan {

namespace {

const LogRecord kAllRecords[] = {
    LogRecord::kBannerFirstLine, LogRecord::kBannerSecondLine, LogRecord::kSystemIdentity,
    LogRecord::kOSTypeIdentity,  LogRecord::kMissingKeyError,  LogRecord::kFileOpenError,
    LogRecord::kLocaleLanguage,  LogRecord::kCodeLanguage,     LogRecord::kProcessing,
    LogRecord::kLaunched,        LogRecord::kStart,            LogRecord::kEnd,
    LogRecord::kResultFinished,  LogRecord::kResultLaunchFailed, LogRecord::kResultTimedOut,
};
// The third banner line is the first one again; which it is, the block tells.

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

// The patterns by the first byte of their opening, longer openings first:
// "RESULT   => Command finished" before "RESULT   => ". Most of a line opens
// no record: its first two bytes are looked up before any pattern is tried.
struct PatternTable {
  std::vector<Pattern> patterns;
  std::vector<const Pattern*> by_first[0x100];
  bool opens[0x100] = {};          // by_first is not empty
  uint64_t pairs[0x10000 / 64] = {};  // the first two bytes of an opening
  std::string firsts;               // each first byte of an opening once
#ifdef __SSE2__
  // Each of firsts in all sixteen lanes; the rows past them repeat the first.
  static constexpr size_t kMostFirsts = 8;
  __m128i first_blocks[kMostFirsts];
  // Bit i: byte i of the block is one of firsts.
  unsigned FirstsIn(__m128i block) const {
    __m128i hits = _mm_setzero_si128();
    for (const __m128i& row : first_blocks) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, row));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
  }
#endif
  bool OpensPair(unsigned char first, unsigned char second) const {
    const unsigned pair = first << 8 | second;
    return (pairs[pair / 64] >> (pair % 64) & 1) != 0;
  }
};

const PatternTable& Patterns() {
  static const PatternTable table = [] {
    PatternTable made;
    for (LogRecord record : kAllRecords) made.patterns.push_back(MakePattern(record));
    std::stable_sort(made.patterns.begin(), made.patterns.end(), [](const Pattern& a, const Pattern& b) {
      return a.pieces.front().size() > b.pieces.front().size();
    });
    for (const Pattern& pattern : made.patterns) {
      if (!pattern.readable) continue;
      const std::string& opening = pattern.pieces.front();
      // Record texts this reader is not made for: a one-byte opening, more values.
      if (opening.size() < 2 || pattern.pieces.size() - 1 > RecordSpan::kMostValues) std::abort();
      const unsigned char first = static_cast<unsigned char>(opening[0]);
      made.by_first[first].push_back(&pattern);
      if (!made.opens[first]) made.firsts += opening[0];
      made.opens[first] = true;
      const unsigned pair = first << 8 | static_cast<unsigned char>(opening[1]);
      made.pairs[pair / 64] |= uint64_t{1} << (pair % 64);
    }
#ifdef __SSE2__
    // A record text added past the rows: make room.
    if (made.firsts.size() > PatternTable::kMostFirsts) std::abort();
    for (size_t i = 0; i < PatternTable::kMostFirsts; ++i) {
      made.first_blocks[i] = _mm_set1_epi8(made.firsts[i < made.firsts.size() ? i : 0]);
    }
#endif
    return made;
  }();
  return table;
}

// The pattern whose opening stands at `at`, if any.
const Pattern* PatternAt(const PatternTable& table, std::string_view line, size_t at) {
  const auto first = static_cast<unsigned char>(line[at]);
  if (at + 1 < line.size() && !table.OpensPair(first, static_cast<unsigned char>(line[at + 1]))) {
    return nullptr;
  }
  for (const Pattern* pattern : table.by_first[first]) {
    const std::string& opening = pattern->pieces.front();
    if (line.size() - at >= opening.size() &&
        std::memcmp(line.data() + at, opening.data(), opening.size()) == 0) {
      return pattern;
    }
  }
  return nullptr;
}

// Where the next record starts in the line after `from`, or the line's end.
// Sixteen bytes at a time are looked at for a first byte of an opening; the
// last sixteen of a line overlap those seen before.
size_t NextRecord(const PatternTable& table, std::string_view line, size_t from) {
  size_t at = from;
#ifdef __SSE2__
  while (at < line.size() && line.size() >= 16) {
    const size_t block_at = std::min(at, line.size() - 16);
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + block_at));
    for (unsigned firsts = table.FirstsIn(block) & (0xFFFFu << (at - block_at)); firsts != 0; firsts &= firsts - 1) {
      const size_t hit = block_at + static_cast<size_t>(__builtin_ctz(firsts));
      if (PatternAt(table, line, hit) != nullptr) return hit;
    }
    at = block_at + 16;
  }
#endif
  for (; at < line.size(); ++at) {
    if (table.opens[static_cast<unsigned char>(line[at])] && PatternAt(table, line, at) != nullptr) {
      return at;
    }
  }
  return line.size();
}

// Fills the holes of `pattern` from `segment`; a segment that ends early
// fills what it holds and gives false.
bool FillHoles(const Pattern& pattern, std::string_view segment, RecordSpan* record) {
  size_t cursor = pattern.pieces.front().size();
  const size_t holes = pattern.pieces.size() - 1;
  for (size_t hole = 0; hole < holes; ++hole) {
    const std::string& next = pattern.pieces[hole + 1];
    size_t end = std::string_view::npos;
    if (hole + 1 == holes) {
      if (segment.size() >= cursor + next.size() &&
          segment.compare(segment.size() - next.size(), next.size(), next) == 0) {
        end = segment.size() - next.size();
      }
    } else {
      end = segment.find(next, cursor);
    }
    if (end == std::string_view::npos) {
      record->values[record->value_count++] = segment.substr(std::min(cursor, segment.size()));
      return false;
    }
    record->values[record->value_count++] = segment.substr(cursor, end - cursor);
    cursor = end + next.size();
  }
  return holes > 0 || segment.size() == cursor;
}

}  // namespace

bool FindRecords(std::string_view line, int64_t number, std::vector<RecordSpan>* records) {
  const PatternTable& table = Patterns();
  records->clear();
  bool unknown = false;
  size_t at = 0;
  while (at < line.size()) {
    const Pattern* pattern = PatternAt(table, line, at);
    if (pattern == nullptr) {
      unknown = true;
      at = NextRecord(table, line, at + 1);
      continue;
    }
    const size_t end = NextRecord(table, line, at + pattern->pieces.front().size());
    RecordSpan record;
    record.record = pattern->record;
    record.line = number;
    const bool whole = FillHoles(*pattern, line.substr(at, end - at), &record);
    record.cut_short = !whole || end < line.size();
    records->push_back(record);
    at = end;
  }
  return unknown;
}

const char* FindLineEnd(const char* from, const char* to) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; to - from >= 16; from += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const unsigned ends = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
    if (ends != 0) return from + __builtin_ctz(ends);
  }
#endif
  for (; from < to; ++from) {
    if (*from == '\r' || *from == '\n') return from;
  }
  return to;
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
