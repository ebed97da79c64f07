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

// A record's text as fixed pieces with holes between them.
struct Pattern {
  LogRecord record;
  std::vector<WString> pieces;  // holes + 1 pieces; line ends dropped from the last
};

Pattern MakePattern(LogRecord record) {
  WString text = FormatLogRecord(record, {{WString(1, kTextHole), WString(1, kTextHole)}, kNumberHole});
  const std::string number = std::to_string(kNumberHole);
  const size_t at = text.find(WString(number.begin(), number.end()));
  if (at != WString::npos) text = text.substr(0, at) + kTextHole + text.substr(at + number.size());
  while (!text.empty() && text.back() == u'\n') text.pop_back();

  Pattern pattern{record, {}};
  size_t from = 0;
  for (size_t hole = text.find(kTextHole); hole != WString::npos; hole = text.find(kTextHole, from)) {
    pattern.pieces.push_back(text.substr(from, hole - from));
    from = hole + 1;
  }
  pattern.pieces.push_back(text.substr(from));
  return pattern;
}

const std::vector<Pattern>& Patterns() {
  static const std::vector<Pattern> patterns = [] {
    std::vector<Pattern> made;
    for (LogRecord record : kAllRecords) made.push_back(MakePattern(record));
    // Longer openings first: "RESULT   => Command finished" before "RESULT   => ".
    std::stable_sort(made.begin(), made.end(), [](const Pattern& a, const Pattern& b) {
      return a.pieces.front().size() > b.pieces.front().size();
    });
    return made;
  }();
  return patterns;
}

bool StartsAt(const WString& line, size_t at, const WString& piece) {
  return line.compare(at, piece.size(), piece) == 0;
}

// The pattern whose opening stands at `at`, if any.
const Pattern* PatternAt(const WString& line, size_t at) {
  for (const Pattern& pattern : Patterns()) {
    const WString& opening = pattern.pieces.front();
    if (!opening.empty() && opening[0] != line[at]) continue;
    if (StartsAt(line, at, opening)) return &pattern;
  }
  return nullptr;
}

// The characters that open a record: most of a line opens none, and a
// look at one character spares trying every pattern there.
const std::vector<bool>& Openers() {
  static const std::vector<bool> openers = [] {
    std::vector<bool> made(0x100, false);
    for (const Pattern& pattern : Patterns()) {
      const WString& opening = pattern.pieces.front();
      if (!opening.empty() && opening[0] < 0x100) made[opening[0]] = true;
    }
    return made;
  }();
  return openers;
}

// Where the next record starts in the line after `from`, or the line's end.
size_t NextRecord(const WString& line, size_t from) {
  const std::vector<bool>& openers = Openers();
  for (size_t at = from; at < line.size(); ++at) {
    if (line[at] < 0x100 && openers[line[at]] && PatternAt(line, at) != nullptr) return at;
  }
  return line.size();
}

// Fills the holes of `pattern` from `segment`; a segment that ends early
// fills what it holds and gives false.
bool FillHoles(const Pattern& pattern, std::u16string_view segment, std::vector<WString>* values) {
  size_t cursor = pattern.pieces.front().size();
  const size_t holes = pattern.pieces.size() - 1;
  for (size_t hole = 0; hole < holes; ++hole) {
    const WString& next = pattern.pieces[hole + 1];
    size_t end = WString::npos;
    if (hole + 1 == holes) {
      if (segment.size() >= cursor + next.size() &&
          segment.compare(segment.size() - next.size(), next.size(), next) == 0) {
        end = segment.size() - next.size();
      }
    } else {
      end = segment.find(next, cursor);
    }
    if (end == WString::npos) {
      values->emplace_back(segment.substr(std::min(cursor, segment.size())));
      return false;
    }
    values->emplace_back(segment.substr(cursor, end - cursor));
    cursor = end + next.size();
  }
  return holes > 0 || segment.size() == cursor;
}

}  // namespace

bool ReadLogLine(const std::string& bytes, int64_t number, std::vector<ReadRecord>* records,
                 WString* scratch) {
  WString& line = *scratch;
  line.resize(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) line[i] = static_cast<unsigned char>(bytes[i]);
  bool unknown = false;
  size_t at = 0;
  while (at < line.size()) {
    const Pattern* pattern = PatternAt(line, at);
    if (pattern == nullptr) {
      unknown = true;
      at = NextRecord(line, at + 1);
      continue;
    }
    const size_t end = NextRecord(line, at + pattern->pieces.front().size());
    ReadRecord record{pattern->record, {}, false, number};
    const bool whole =
        FillHoles(*pattern, std::u16string_view(line).substr(at, end - at), &record.values);
    record.cut_short = !whole || end < line.size();
    records->push_back(std::move(record));
    at = end;
  }
  return unknown;
}

ReadLog ReadLogRecords(const std::string& bytes) {
  ReadLog log;
  WString scratch;
  auto take = [&log, &scratch](const std::string& line, int64_t number) {
    if (ReadLogLine(line, number, &log.records, &scratch)) log.unknown_lines.push_back(number);
  };
  LogLines lines;
  lines.Feed(bytes.data(), bytes.size(), take);
  lines.End(take);
  return log;
}

}  // namespace quill::plan
