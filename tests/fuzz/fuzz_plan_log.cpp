// quillplan's reader of run logs. The provider gives any text first, then a
// run of records that the program writes; they are read back after it. Its
// rule: a record opens only at the start of a line, whatever the line holds
// after; a banner line opens a run whatever precedes it; an exit record is
// used by one application or counted as not used. The
// log, spoiled as a crash or a copy may spoil it, is then streamed in
// pieces, and lies twice on a share beside a pipe and links that the
// many-file reader walks.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "log/log_record.h"
#include "plan/report/fleet_stream.h"
#include "plan/report/fleet_totals.h"
#include "plan/report/log_records.h"
#include "plan/report/run_report.h"
#include "plan/report/run_stream.h"

using quill::LogRecord;
using quill::WString;
using quill::fuzz::Check;

namespace {

// Characters that cannot start or end a record's fixed text: no blank,
// quote, colon, star, "=" or ">". Latin-1 is kept; the rest is one "?".
const std::vector<WString> kValuePieces = {u"C",      u"x",      u"7",          u"\\", u".",
                                           u"_",      u"-",      u"/",          u"(",  u"\u00E9",
                                           u"\u00FF", u"\u03A9", u"\U0001D518", u"%s", u"%d"};

WString AsLogged(const WString& value) {
  const std::string bytes = quill::EncodeLogText(value);
  return quill::fuzz::Latin1(bytes);
}

struct Written {
  LogRecord record;
  std::vector<WString> values;
};

// Whether a folder's reader takes the file for a log: a banner in its
// opening, the first 4096 bytes that are not NUL, within the first MiB.
bool BannerEarly(const std::string& log) {
  size_t text = 0;
  size_t end = 0;
  while (end < log.size() && end < (1u << 20) && text < 4096) text += log[end++] != '\0';
  return log.substr(0, end).find("QUILLRUN starts at: ") != std::string::npos;
}

// What a crash, a copy or a careless hand makes of a log.
std::string Spoiled(const std::string& log, int how, size_t amount) {
  switch (how) {
    case 1: return std::string(amount * 512, '\0') + log;  // a power cut's NULs in front
    case 2: {                                                // CR-only line ends
      std::string cr;
      for (size_t i = 0; i < log.size(); ++i) {
        if (!(log[i] == '\n' && i > 0 && log[i - 1] == '\r')) cr += log[i];
      }
      return cr;
    }
    case 3: return log.substr(0, log.size() - std::min(log.size(), amount)) + log;  // torn, then again
    default: return log;
  }
}

// The runs a stream reader gives, read in pieces of `piece` bytes.
std::vector<quill::plan::RunRow> Streamed(const std::string& log, size_t piece) {
  class Pieces : public quill::plan::ByteSource {
   public:
    Pieces(const std::string& text, size_t piece) : text_(text), piece_(piece) {}
    bool Read(char* into, size_t size, size_t* got) override {
      *got = std::min({size, piece_, text_.size() - at_});
      std::memcpy(into, text_.data() + at_, *got);
      at_ += *got;
      return true;
    }

   private:
    const std::string& text_;
    size_t piece_;
    size_t at_ = 0;
  } source(log, piece);
  quill::plan::RunStream stream(source);
  std::vector<quill::plan::RunRow> runs;
  while (const quill::plan::RunRow* run = stream.Next()) runs.push_back(*run);
  return runs;
}

bool SameRuns(const std::vector<quill::plan::RunRow>& a, const std::vector<quill::plan::RunRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].line != b[i].line || a[i].outcome != b[i].outcome || a[i].system_id != b[i].system_id ||
        a[i].applications.size() != b[i].applications.size() || a[i].start.text != b[i].start.text ||
        a[i].end.text != b[i].end.text || a[i].cut_short_records != b[i].cut_short_records) {
      return false;
    }
    for (size_t k = 0; k < a[i].applications.size(); ++k) {
      const quill::plan::AppRow& x = a[i].applications[k];
      const quill::plan::AppRow& y = b[i].applications[k];
      if (x.line != y.line || x.app_section != y.app_section || x.outcome != y.outcome ||
          x.exit_code != y.exit_code || x.verdict != y.verdict) {
        return false;
      }
    }
  }
  return true;
}

// A log and its copy in a folder below, beside a named pipe and links to
// both: the two are read as one log would be, or both are skipped with a
// reason; the pipe and the links are named and skipped, nothing hangs, and
// the share given twice counts each file once.
void CheckShare(const std::string& log) {
  struct Folder {
    std::string path;
    Folder() {
      char name[] = "/tmp/fuzz-plan-log-XXXXXX";
      path = mkdtemp(name) ? name : "/tmp/fuzz-plan-log";
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  const std::string& share = folder.path;
  static const bool made = [] {
    const std::string& share = folder.path;
    std::filesystem::create_directories(share + "/b");
    std::filesystem::create_directories(share + "/c");
    mkfifo((share + "/c/pipe").c_str(), 0600);
    std::filesystem::create_symlink(share + "/a.log", share + "/c/link.log");
    std::filesystem::create_directory_symlink(share + "/b", share + "/c/folder");
    return true;
  }();
  (void)made;
  std::ofstream(share + "/a.log", std::ios::binary) << log;
  std::ofstream(share + "/b/copy.log", std::ios::binary) << log;
  quill::plan::FleetTotals totals;
  quill::plan::StreamFleet({share, share + "/b"}, {}, quill::plan::LogReading::kSkim, {&totals});

  const int64_t others = 3;  // the pipe and the two links
  Check(totals.log_files + totals.skipped_files == 2 + others, "each file read or skipped, not both");
  Check(totals.log_files == 0 || totals.log_files == 2, "the same bytes read the same way");
  const quill::plan::RunReport one = quill::plan::MakeRunReport(quill::plan::ReadLogRecords(log));
  Check((totals.log_files == 2) == (BannerEarly(log) && !one.runs.empty()),
        "a log is read when a banner opens it early and it holds a run");
  int64_t applications = 0;
  for (const auto& run : one.runs) applications += static_cast<int64_t>(run.applications.size());
  if (totals.log_files == 2) {
    Check(totals.runs == 2 * static_cast<int64_t>(one.runs.size()), "runs of both copies counted");
    Check(totals.application_runs == 2 * applications, "applications of both copies counted");
  }
  for (const quill::plan::FileProblem& problem : totals.problems) {
    const bool other = problem.file == share + "/c/pipe" || problem.file == share + "/c/link.log" ||
                       problem.file == share + "/c/folder";
    Check(problem.file == share + "/a.log" || problem.file == share + "/b/copy.log" || other,
          "a problem names its file");
    Check(!other || problem.skipped, "a pipe or a link inside a folder is skipped");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string any = data.ConsumeRandomLengthString(2000) + "\n";

  std::string log = any;
  std::vector<Written> written;
  while (data.remaining_bytes() > 0 && written.size() < 40) {
    auto record = static_cast<LogRecord>(
        data.ConsumeIntegralInRange<int>(0, static_cast<int>(quill::kLastLogRecord)));
    quill::LogValues values;
    values.texts = {quill::fuzz::FromPieces(data, kValuePieces, 12),
                    quill::fuzz::FromPieces(data, kValuePieces, 12)};
    values.number = data.ConsumeIntegral<int32_t>();
    log += quill::EncodeLogText(quill::FormatLogRecord(record, values));
    // What a reader can tell: the holes the record has, as logged.
    Written w{record == LogRecord::kBannerThirdLine ? LogRecord::kBannerFirstLine : record, {}};
    const WString marked = quill::FormatLogRecord(record, {{u"\x01", u"\x02"}, 0});
    for (size_t k = 0; k < 2; ++k) {
      if (marked.find(static_cast<char16_t>(k + 1)) != WString::npos) {
        w.values.push_back(AsLogged(values.texts[k]));
      }
    }
    if (marked != quill::FormatLogRecord(record, {{u"\x01", u"\x02"}, 1})) {
      const std::string number = std::to_string(values.number);
      w.values.push_back(WString(number.begin(), number.end()));
    }
    written.push_back(w);
  }

  const quill::plan::ReadLog before = quill::plan::ReadLogRecords(any);
  const quill::plan::ReadLog read = quill::plan::ReadLogRecords(log);
  int any_lines = 0;  // LF, CR LF and a lone CR each end a line
  for (size_t i = 0; i < any.size(); ++i) {
    any_lines += any[i] == '\n' ? !(i > 0 && any[i - 1] == '\r') : any[i] == '\r';
  }
  int last_line = 0;
  for (const quill::plan::ReadRecord& record : read.records) {
    Check(record.line >= last_line && record.line >= 1, "records come in line order");
    last_line = record.line;
  }
  for (size_t i = 0; i < read.unknown_lines.size(); ++i) {
    Check(i == 0 || read.unknown_lines[i] > read.unknown_lines[i - 1], "unknown lines once each");
    Check(read.unknown_lines[i] <= any_lines, "every written record is known");
  }
  Check(read.unknown_lines == before.unknown_lines, "what follows a line does not change it");
  Check(read.records.size() == before.records.size() + written.size(),
        "one record for each written");
  for (size_t i = 0; i < before.records.size(); ++i) {
    Check(read.records[i].record == before.records[i].record &&
              read.records[i].values == before.records[i].values,
          "what follows a line does not change its records");
  }
  for (size_t i = 0; i < written.size(); ++i) {
    const quill::plan::ReadRecord& got = read.records[before.records.size() + i];
    Check(got.record == written[i].record, "each record is read back as written");
    Check(got.values == written[i].values, "with its values as logged");
    Check(!got.cut_short, "and whole");
    Check(got.line > any_lines, "after the text before it");
  }
  // Any text after a record's opening is that record's, never another.
  const std::string first_line = any.substr(0, any.find_first_of("\r\n"));
  for (const LogRecord opening : {LogRecord::kExitCodesUnread, LogRecord::kLaunched}) {
    const WString echoed =
        quill::FormatLogRecord(opening, {{quill::fuzz::Latin1(first_line), u"S"}, 0});
    const quill::plan::ReadLog one = quill::plan::ReadLogRecords(quill::EncodeLogText(echoed));
    Check(one.unknown_lines.empty() && one.records.size() == 1 && one.records[0].record == opening,
          "a value echoed in a record is read as that record's, never as records");
  }
  const quill::plan::RunReport runs = quill::plan::MakeRunReport(read);
  size_t banners = 0;
  size_t exit_records = 0;
  size_t placed_records = 0;  // others the reader names where the program never writes them
  for (const quill::plan::ReadRecord& record : read.records) {
    banners += record.record == LogRecord::kBannerSecondLine;
    exit_records += record.record == LogRecord::kExitCode;
    const LogRecord r = record.record;
    placed_records += (r >= LogRecord::kProcessing && r <= LogRecord::kResultTimedOut) ||
                      r == LogRecord::kNotVerified || r == LogRecord::kInstalledAlready ||
                      r == LogRecord::kInstalledNothing || r == LogRecord::kDetectAfterRestart ||
                      r == LogRecord::kInstalledAfterRestart ||
                      r == LogRecord::kNothingAfterRestart;
  }
  Check(runs.runs.size() == banners, "each banner line opens a run; two runs are never merged");
  int64_t used = runs.unused_records.count;
  for (const auto& run : runs.runs) {
    for (const auto& app : run.applications) {
      // One that does not read is the application's, and counted as not used.
      used += (app.exit_record && app.verdict) + app.busy_tries -
              (app.verdict == quill::ExitVerdict::kBusyTriedAgain);
    }
  }
  Check(used >= static_cast<int64_t>(exit_records) - runs.records_outside_runs &&
            used <= static_cast<int64_t>(exit_records + placed_records),
        "an exit record is used by an application or counted as not used");
  // The stream reader, in pieces of any size, gives the runs the whole text does.
  const std::string spoiled = Spoiled(log, static_cast<int>(size % 4), size % 97);
  const quill::plan::RunReport whole = quill::plan::MakeRunReport(quill::plan::ReadLogRecords(spoiled));
  Check(SameRuns(Streamed(spoiled, 1 + size % 13), whole.runs), "a stream reads as the whole text");
  for (const auto& run : whole.runs) {
    const auto seconds = quill::plan::SecondsBetween(run.start, run.end);
    Check(!seconds || *seconds >= 0, "no duration below zero");
  }
  // Files cost far more than reading: one input in eight goes to the share.
  if (size % 8 < 2) CheckShare(spoiled);
  return 0;
}
