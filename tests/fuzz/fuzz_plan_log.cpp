// quillplan's reader of run logs. The provider gives any text first, then a
// run of records that the program writes; they are read back after it. The
// same bytes then lie twice on a share that the many-file reader walks.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "log/log_record.h"
#include "plan/fleet/fleet_totals.h"
#include "plan/report/log_records.h"
#include "plan/report/run_report.h"

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

// A log and its copy in a folder below: both are read as one log would be,
// or both are skipped with a reason, and nothing of one spills into the other.
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
  std::filesystem::create_directories(share + "/b");
  std::ofstream(share + "/a.log", std::ios::binary) << log;
  std::ofstream(share + "/b/copy.log", std::ios::binary) << log;
  quill::plan::FleetTotals totals;
  quill::plan::StreamFleet({share}, {&totals});

  Check(totals.log_files + totals.skipped_files == 2, "each file read or skipped, not both");
  Check(totals.log_files == 0 || totals.log_files == 2, "the same bytes read the same way");
  const quill::plan::RunReport one = quill::plan::MakeRunReport(quill::plan::ReadLogRecords(log));
  const bool banner_early = log.substr(0, 4096).find("QUILLRUN starts at: ") != std::string::npos;
  Check((totals.log_files == 2) == (banner_early && !one.runs.empty()),
        "a log is read when a banner opens it early and it holds a run");
  int64_t applications = 0;
  for (const auto& run : one.runs) applications += static_cast<int64_t>(run.applications.size());
  if (totals.log_files == 2) {
    Check(totals.runs == 2 * static_cast<int64_t>(one.runs.size()), "runs of both copies counted");
    Check(totals.application_runs == 2 * applications, "applications of both copies counted");
  }
  for (const quill::plan::FileProblem& problem : totals.problems) {
    Check(problem.file == share + "/a.log" || problem.file == share + "/b/copy.log",
          "a problem names its file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string any = data.ConsumeRandomLengthString(2000) + "\n";

  std::string log = any;
  std::vector<Written> written;
  while (data.remaining_bytes() > 0 && written.size() < 40) {
    auto record = static_cast<LogRecord>(data.ConsumeIntegralInRange<int>(0, 15));
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
  int any_lines = 0;
  for (char c : any) any_lines += c == '\n';
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
  // Files cost far more than reading: one input in four goes to the share.
  if (size % 4 == 0) CheckShare(log);
  return 0;
}
