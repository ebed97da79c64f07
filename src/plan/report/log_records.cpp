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

const LogRecord kAllRecords[] = {
    LogRecord::kBannerFirstLine, LogRecord::kBannerSecondLine, LogRecord::kSystemIdentity,
    LogRecord::kOSTypeIdentity,  LogRecord::kMissingKeyError,  LogRecord::kFileOpenError,
    LogRecord::kLocaleLanguage,  LogRecord::kCodeLanguage,     LogRecord::kProcessing,
    LogRecord::kLaunched,        LogRecord::kStart,            LogRecord::kEnd,
    LogRecord::kResultFinished,  LogRecord::kResultLaunchFailed, LogRecord::kResultTimedOut,
    LogRecord::kExitCode,        LogRecord::kExitCodesUnread,  LogRecord::kInstalledAlready,
    LogRecord::kInstalledNothing, LogRecord::kDetectAfterRestart, LogRecord::kDetectRuleUnread,
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

// A word of eight bytes as they lie, in the machine's byte order.
uint64_t WordAt(const char* at) {
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The bytes [from, to) as text.
std::string_view Between(const char* from, const char* to) {
  return std::string_view(from, static_cast<size_t>(to - from));
}

// Whether `size` bytes, eight or more, are the same at `a` and `b`: a word
// at a time, the last word overlapping the one before it.
bool SameWords(const char* a, const char* b, size_t size) {
  for (size_t word = 0; word + 8 < size; word += 8) {
    if (WordAt(a + word) != WordAt(b + word)) return false;
  }
  return WordAt(a + size - 8) == WordAt(b + size - 8);
}

// A piece of at most eight bytes compared with the bytes that end at a
// place, as one word under a mask.
struct Ending {
  uint64_t word = 0;
  uint64_t mask = 0;  // none: the empty piece
  Ending() = default;
  explicit Ending(std::string_view piece) {
    char bytes[8] = {};
    char ones[8] = {};
    std::copy(piece.begin(), piece.end(), bytes + 8 - piece.size());
    std::fill(ones + 8 - piece.size(), ones + 8, '\xFF');
    word = WordAt(bytes);
    mask = WordAt(ones);
  }
  // Whether the eight bytes before `end` end with the piece.
  bool Before(const char* end) const { return (WordAt(end - 8) & mask) == word; }
};

// A pattern as the finder matches it: its opening compared as words of
// eight bytes, and the pieces that close its holes.
struct Opening {
  const char* text = nullptr;
  size_t size = 0;
  uint64_t head = 0;  // the first eight bytes
  LogRecord record = LogRecord::kBannerFirstLine;
  size_t holes = 0;
  std::string_view middle;  // between the two holes of a record with two
  std::string_view last;    // after the last hole
  Ending last_ending;        // the last, where it fits a word

  // Whether the opening stands at `at`. Most places looked at are not an
  // opening: the first word, kept apart, turns them away.
  bool At(const char* at, const char* end) const {
    if (static_cast<size_t>(end - at) < size || WordAt(at) != head) return false;
    return SameWords(at, text, size);
  }

  // The first place in [from, end) where the middle piece stands, or
  // nullptr. Its first byte turns most places away; a call of memcmp on
  // each would cost more than the bytes.
  const char* MiddleIn(const char* from, const char* end) const {
    if (middle.empty()) return from;
    for (; static_cast<size_t>(end - from) >= middle.size(); ++from) {
      if (*from != middle[0]) continue;
      size_t same = 1;
      while (same < middle.size() && from[same] == middle[same]) ++same;
      if (same == middle.size()) return from;
    }
    return nullptr;
  }

  // Whether the record [at, end) ends with the last piece after `from`.
  // The record holds its opening, eight bytes or more, before `from`.
  bool EndsWithLast(const char* from, const char* end) const {
    if (static_cast<size_t>(end - from) < last.size()) return false;
    if (last.size() <= 8) return last_ending.Before(end);
    return SameWords(end - last.size(), last.data(), last.size());
  }

  // Fills the values of the record [at, end) into `record`; a record that
  // ends early fills what it holds and gives false.
  bool Fill(const char* at, const char* end, RecordSpan* record) const {
    const char* value = at + size;
    if (holes == 0) return value == end;
    if (holes == 2) {
      const char* const found = MiddleIn(value, end);
      if (found == nullptr) {
        record->values[record->value_count++] = Between(value, end);
        return false;
      }
      record->values[record->value_count++] = Between(value, found);
      value = found + middle.size();
    }
    const bool whole = EndsWithLast(value, end);
    record->values[record->value_count++] = Between(value, whole ? end - last.size() : end);
    return whole;
  }
};

// The bytes an opening may start with, compared sixteen at a time as a
// few rows of a value under a mask: SSE2 has no table lookup of bytes, and
// "P", "Q", "R" and "S" are one row, 0x50 under 0xFC. Only the bytes named
// match: a byte that starts no opening is never looked at twice.
class FirstBytes {
 public:
  static constexpr size_t kRows = 5;
  explicit FirstBytes(const std::string& firsts) {
    std::vector<std::pair<unsigned char, unsigned char>> rows;  // value, mask
    for (char c : firsts) rows.emplace_back(static_cast<unsigned char>(c), 0xFF);
    // Two rows of one mask that differ in one bit of it are one row.
    for (bool joined = true; joined;) {
      joined = false;
      for (size_t i = 0; i < rows.size() && !joined; ++i) {
        for (size_t j = i + 1; j < rows.size() && !joined; ++j) {
          const unsigned differ = rows[i].first ^ rows[j].first;
          if (rows[i].second != rows[j].second || (differ & (differ - 1)) != 0) continue;
          rows[i].first = static_cast<unsigned char>(rows[i].first & ~differ);
          rows[i].second = static_cast<unsigned char>(rows[i].second & ~differ);
          rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(j));
          joined = true;
        }
      }
    }
    // A record text added past the rows: make room.
    if (rows.size() > kRows) std::abort();
#ifdef __SSE2__
    for (size_t i = 0; i < kRows; ++i) {
      const auto& row = rows[i < rows.size() ? i : 0];
      values_[i] = _mm_set1_epi8(static_cast<char>(row.first));
      masks_[i] = _mm_set1_epi8(static_cast<char>(row.second));
    }
#endif
  }
#ifdef __SSE2__
  // Bit i: byte i of the sixteen at `at` is a first byte.
  unsigned In(const char* at) const {
    static_assert(kRows == 5, "one line for each row");
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i hits = _mm_cmpeq_epi8(_mm_and_si128(block, masks_[0]), values_[0]);
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_and_si128(block, masks_[1]), values_[1]));
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_and_si128(block, masks_[2]), values_[2]));
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_and_si128(block, masks_[3]), values_[3]));
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_and_si128(block, masks_[4]), values_[4]));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
  }

 private:
  __m128i values_[kRows];
  __m128i masks_[kRows];
#endif
};

// The openings by their first byte, longer openings first: "RESULT   =>
// Command finished" before "RESULT   => ". Built in place and never moved:
// the openings point into the patterns' own strings.
class PatternTable {
 public:
  PatternTable() : patterns_(SortedPatterns()), first_bytes_(FirstsOf(patterns_)) {
    for (const Pattern& pattern : patterns_) {
      if (!pattern.readable) continue;
      Add(pattern);
      const auto first = static_cast<unsigned char>(pattern.pieces.front()[0]);
      if (first_count_[first]++ == 0) first_at_[first] = static_cast<uint8_t>(count_ - 1);
    }
  }

  // The opening that stands at `at`, if any.
  const Opening* OpeningAt(const char* at, const char* end) const {
    const auto first = static_cast<unsigned char>(*at);
    const Opening* opening = openings_ + first_at_[first];
    for (const Opening* last = opening + first_count_[first]; opening != last; ++opening) {
      if (opening->At(at, end)) return opening;
    }
    return nullptr;
  }

  // Where the next record starts in [from, end), or `end`. Sixteen bytes
  // at a time are looked at for a first byte of an opening; the last
  // sixteen of a line overlap those seen before.
  const char* NextRecord(const char* line, const char* from, const char* end) const {
#ifdef __SSE2__
    if (end - line >= 16) {
      for (; end - from >= 16; from += 16) {
        if (const char* hit = FirstOpening(from, first_bytes_.In(from), end)) return hit;
      }
      if (from == end) return end;
      const char* const block = end - 16;
      const unsigned unseen = 0xFFFFu << (from - block);
      const char* hit = FirstOpening(block, first_bytes_.In(block) & unseen, end);
      return hit != nullptr ? hit : end;
    }
#else
    static_cast<void>(line);
#endif
    for (; from < end; ++from) {
      const bool first = first_count_[static_cast<unsigned char>(*from)] != 0;
      if (first && OpeningAt(from, end) != nullptr) return from;
    }
    return end;
  }

 private:
  static constexpr size_t kMostOpenings = 24;

  // Those of one first byte side by side, the longer first.
  static std::vector<Pattern> SortedPatterns() {
    std::vector<Pattern> patterns;
    for (LogRecord record : kAllRecords) patterns.push_back(MakePattern(record));
    std::stable_sort(patterns.begin(), patterns.end(), [](const Pattern& a, const Pattern& b) {
      const auto x = static_cast<unsigned char>(a.pieces.front()[0]);
      const auto y = static_cast<unsigned char>(b.pieces.front()[0]);
      return x != y ? x < y : a.pieces.front().size() > b.pieces.front().size();
    });
    return patterns;
  }

  // Each first byte of a readable opening once.
  static std::string FirstsOf(const std::vector<Pattern>& patterns) {
    std::string firsts;
    for (const Pattern& pattern : patterns) {
      const char first = pattern.pieces.front()[0];
      if (pattern.readable && firsts.find(first) == std::string::npos) firsts += first;
    }
    return firsts;
  }

  void Add(const Pattern& pattern) {
    const std::string& opening = pattern.pieces.front();
    const size_t holes = pattern.pieces.size() - 1;
    // Record texts this reader is not made for: an opening shorter than a
    // word, more values, more of them than room.
    if (opening.size() < 8 || holes > RecordSpan::kMostValues) std::abort();
    if (count_ == kMostOpenings) std::abort();
    Opening& added = openings_[count_++];
    added.text = opening.data();
    added.size = opening.size();
    added.head = WordAt(opening.data());
    added.record = pattern.record;
    added.holes = holes;
    if (holes == 2) added.middle = pattern.pieces[1];
    added.last = pattern.pieces.back();
    if (added.last.size() <= 8) added.last_ending = Ending(added.last);
  }

#ifdef __SSE2__
  // The first of the bytes marked in `hits` that opens a record.
  const char* FirstOpening(const char* block, unsigned hits, const char* end) const {
    for (; hits != 0; hits &= hits - 1) {
      const char* at = block + __builtin_ctz(hits);
      if (OpeningAt(at, end) != nullptr) return at;
    }
    return nullptr;
  }
#endif

  std::vector<Pattern> patterns_;
  Opening openings_[kMostOpenings];
  size_t count_ = 0;
  uint8_t first_at_[0x100] = {};     // the first opening of each first byte
  uint8_t first_count_[0x100] = {};  // how many openings start with it
  FirstBytes first_bytes_;
};

const PatternTable& Patterns() {
  static const PatternTable table;
  return table;
}

}  // namespace

bool FindRecords(std::string_view line, int64_t number, std::vector<RecordSpan>* records) {
  const PatternTable& table = Patterns();
  records->clear();
  bool unknown = false;
  const char* at = line.data();
  const char* const end = at + line.size();
  while (at != end) {
    // Text that opens no record is skipped up to the next one.
    const Opening* opening = table.OpeningAt(at, end);
    const char* const after = opening != nullptr ? at + opening->size : at + 1;
    const char* const next = table.NextRecord(line.data(), after, end);
    if (opening == nullptr) {
      unknown = true;
    } else {
      RecordSpan& record = records->emplace_back();
      record.record = opening->record;
      record.line = number;
      record.cut_short = !opening->Fill(at, next, &record) || next != end;
    }
    at = next;
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
