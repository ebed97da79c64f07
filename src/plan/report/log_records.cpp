#include "plan/report/log_records.h"

#include <algorithm>
#include <string_view>

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
// no record, and one look at a byte spares trying every pattern there.
struct PatternTable {
  std::vector<Pattern> patterns;
  std::vector<const Pattern*> by_first[0x100];
  bool opens[0x100] = {};  // by_first is not empty
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
      const unsigned char first = static_cast<unsigned char>(pattern.pieces.front()[0]);
      made.by_first[first].push_back(&pattern);
      made.opens[first] = true;
    }
    return made;
  }();
  return table;
}

// The pattern whose opening stands at `at`, if any.
const Pattern* PatternAt(const PatternTable& table, std::string_view line, size_t at) {
  for (const Pattern* pattern : table.by_first[static_cast<unsigned char>(line[at])]) {
    if (line.compare(at, pattern->pieces.front().size(), pattern->pieces.front()) == 0) return pattern;
  }
  return nullptr;
}

// Where the next record starts in the line after `from`, or the line's end.
size_t NextRecord(const PatternTable& table, std::string_view line, size_t from) {
  for (size_t at = from; at < line.size(); ++at) {
    if (table.opens[static_cast<unsigned char>(line[at])] && PatternAt(table, line, at) != nullptr) {
      return at;
    }
  }
  return line.size();
}

// Bytes as characters, one a byte.
WString Widened(std::string_view bytes) {
  const auto* first = reinterpret_cast<const unsigned char*>(bytes.data());
  return WString(first, first + bytes.size());
}

// Fills the holes of `pattern` from `segment`; a segment that ends early
// fills what it holds and gives false.
bool FillHoles(const Pattern& pattern, std::string_view segment, std::vector<WString>* values) {
  size_t cursor = pattern.pieces.front().size();
  const size_t holes = pattern.pieces.size() - 1;
  values->reserve(holes);
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
      values->push_back(Widened(segment.substr(std::min(cursor, segment.size()))));
      return false;
    }
    values->push_back(Widened(segment.substr(cursor, end - cursor)));
    cursor = end + next.size();
  }
  return holes > 0 || segment.size() == cursor;
}

}  // namespace

bool ReadLogLine(std::string_view line, int64_t number, std::vector<ReadRecord>* records) {
  const PatternTable& table = Patterns();
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
    ReadRecord record{pattern->record, {}, false, number};
    const bool whole = FillHoles(*pattern, line.substr(at, end - at), &record.values);
    record.cut_short = !whole || end < line.size();
    records->push_back(std::move(record));
    at = end;
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
