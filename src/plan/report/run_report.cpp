#include "plan/report/run_report.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "log/time_stamp.h"
#include "plan/windows/civil_time.h"

namespace quill::plan {

namespace {

// Digits only, `count` of them, and at most four: a stamp's fields are
// short, so no field read from a log can overflow.
bool ReadNumber(const WString& text, size_t from, size_t count, int* value) {
  if (count == 0 || count > 4 || from + count > text.size()) return false;
  *value = 0;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    *value = *value * 10 + (text[i] - u'0');
  }
  return true;
}

// The month of a date part, by the names the log writes with.
int MonthOf(const WString& date) {
  static const std::vector<WString> names = [] {
    std::vector<WString> made;
    for (int month = 1; month <= 12; ++month) {
      LocalTime time;
      time.month = month;
      time.day = 1;
      const WString written = FormatTimeStamp(time).date;  // "Sunday, January 01, 0"
      const size_t from = written.find(u", ") + 2;
      made.push_back(written.substr(from, written.find(u' ', from) - from) + u" ");
    }
    return made;
  }();
  const size_t comma = date.find(u", ");
  if (comma == WString::npos) return 0;
  for (int month = 1; month <= 12; ++month) {
    const WString& name = names[month - 1];
    if (date.compare(comma + 2, name.size(), name) == 0) return month;
  }
  return 0;
}

// "09:05:03".
bool ReadTime(const WString& time, LocalTime* local) {
  return time.size() == 8 && time[2] == u':' && time[5] == u':' &&
         ReadNumber(time, 0, 2, &local->hour) && ReadNumber(time, 3, 2, &local->minute) &&
         ReadNumber(time, 6, 2, &local->second);
}

// "Sunday, December 06, 2026": the day and year close the text.
bool ReadDate(const WString& date, LocalTime* local) {
  local->month = MonthOf(date);
  const size_t year_comma = date.rfind(u", ");
  return local->month != 0 && year_comma != WString::npos && year_comma >= 3 &&
         date.size() - year_comma - 2 == 4 && date[year_comma - 3] == u' ' &&
         ReadNumber(date, year_comma - 2, 2, &local->day) &&
         ReadNumber(date, year_comma + 2, 4, &local->year);
}

WString ValueOf(ReadRecord& record, size_t index) {
  return index < record.values.size() ? std::move(record.values[index]) : WString();
}

// The "%d" the program wrote: an int32, or nothing when it does not read.
std::optional<int32_t> NumberOf(const ReadRecord& record) {
  if (record.values.empty()) return std::nullopt;
  const WString& text = record.values[0];
  const bool negative = !text.empty() && text[0] == u'-';
  const size_t from = negative ? 1 : 0;
  if (text.size() == from || text.size() - from > 10) return std::nullopt;
  int64_t value = 0;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

// The values are moved out of the record: each is taken once. The stamps
// of a run mostly share their date, which is read once.
StampRead RunBuilder::Stamp(ReadRecord& record) {
  StampRead stamp;
  if (record.values.size() < 2) {
    if (!record.values.empty()) stamp.text = std::move(record.values[0]);
    return stamp;
  }
  const WString& date = record.values[1];
  if (date != last_date_.text) {
    LocalTime local;
    last_date_.read = ReadDate(date, &local);
    last_date_.year = local.year;
    last_date_.month = local.month;
    last_date_.day = local.day;
    last_date_.text = date;
  }
  LocalTime local;
  if (last_date_.read && ReadTime(record.values[0], &local)) {
    local.year = last_date_.year;
    local.month = last_date_.month;
    local.day = last_date_.day;
    stamp.seconds = SecondsFromCivil(local);
  }
  stamp.text.reserve(record.values[0].size() + 1 + record.values[1].size());
  stamp.text.append(record.values[0]).append(1, u' ').append(record.values[1]);
  return stamp;
}

void RunBuilder::Take(ReadRecord record) {
  if (first_banner_line_) {
    ReadRecord first = std::move(*first_banner_line_);
    first_banner_line_.reset();
    if (record.record == LogRecord::kBannerSecondLine) {
      Open(first.line);
    } else {
      TakeInRun(first);
    }
  }
  if (record.record == LogRecord::kBannerFirstLine) {
    first_banner_line_ = std::move(record);
    return;
  }
  TakeInRun(record);
}

bool RunBuilder::Next(RunRow* run) {
  if (handed_out_ == done_.size()) return false;
  *run = std::move(done_[handed_out_++]);
  if (handed_out_ == done_.size()) {
    done_.clear();
    handed_out_ = 0;
  }
  return true;
}

void RunBuilder::Finish() {
  if (first_banner_line_) {
    ReadRecord first = std::move(*first_banner_line_);
    first_banner_line_.reset();
    TakeInRun(first);
  }
  Close();
}

void RunBuilder::Open(int64_t line) {
  Close();
  run_.emplace();
  run_->line = line;
  run_->applications.reserve(kApplicationsReserved);
}

void RunBuilder::Close() {
  if (!run_) return;
  const bool errored = run_->outcome == RunOutcome::kMissingAppInstlPath ||
                       run_->outcome == RunOutcome::kMissingLanguageTable;
  if (!errored && !run_->applications.empty() &&
      run_->applications.back().outcome == AppOutcome::kNoResult) {
    run_->outcome = RunOutcome::kCutShort;
  }
  done_.push_back(std::move(*run_));
  run_.reset();
  app_done_ = false;
}

AppRow& RunBuilder::CurrentApp(const ReadRecord& record) {
  if (run_->applications.empty() || app_done_) {
    run_->applications.emplace_back();
    run_->applications.back().line = record.line;
    app_done_ = false;
  }
  return run_->applications.back();
}

void RunBuilder::TakeInRun(ReadRecord& record) {
  if (!run_) {
    ++records_outside_runs_;
    return;
  }
  run_->cut_short_records += record.cut_short ? 1 : 0;
  switch (record.record) {
    case LogRecord::kBannerSecondLine:
      run_->start = Stamp(record);
      run_->end = run_->start;
      return;
    case LogRecord::kSystemIdentity: run_->system_id = ValueOf(record, 0); return;
    case LogRecord::kOSTypeIdentity: run_->os_type = ValueOf(record, 0); return;
    case LogRecord::kLocaleLanguage: run_->lcid = ValueOf(record, 0); return;
    case LogRecord::kCodeLanguage: run_->language_code = ValueOf(record, 0); return;
    case LogRecord::kMissingKeyError:
      run_->outcome = RunOutcome::kMissingAppInstlPath;
      run_->error = ValueOf(record, 0);
      return;
    case LogRecord::kFileOpenError:
      run_->outcome = RunOutcome::kMissingLanguageTable;
      run_->error = ValueOf(record, 0);
      return;
    case LogRecord::kBannerFirstLine:
    case LogRecord::kBannerThirdLine:
      return;
    default:
      break;
  }
  TakeApplicationRecord(record);
}

void RunBuilder::TakeApplicationRecord(ReadRecord& record) {
  if (record.record == LogRecord::kProcessing) app_done_ = true;  // a new application
  AppRow& app = CurrentApp(record);
  app.cut_short = app.cut_short || record.cut_short;
  switch (record.record) {
    case LogRecord::kProcessing:
      app.list_section = ValueOf(record, 0);
      app.app_section = ValueOf(record, 1);
      break;
    case LogRecord::kLaunched: app.command_line = ValueOf(record, 0); break;
    case LogRecord::kStart: app.start = Stamp(record); break;
    case LogRecord::kEnd: app.end = Stamp(record); break;
    case LogRecord::kResultFinished:
      app.outcome = AppOutcome::kFinished;
      app.counted_seconds = NumberOf(record);
      app_done_ = true;
      break;
    case LogRecord::kResultLaunchFailed:
      app.outcome = AppOutcome::kLaunchFailed;
      app_done_ = true;
      break;
    case LogRecord::kResultTimedOut:
      app.outcome = AppOutcome::kTimedOut;
      app.counted_seconds = NumberOf(record);
      app_done_ = true;
      break;
    default:
      break;
  }
  for (const StampRead* stamp : {&app.start, &app.end}) {
    if (stamp->seconds) run_->end = *stamp;
  }
}

std::optional<int64_t> ReadStamp(const WString& time, const WString& date) {
  LocalTime local;
  if (!ReadTime(time, &local) || !ReadDate(date, &local)) return std::nullopt;
  return SecondsFromCivil(local);
}

std::optional<int64_t> SecondsBetween(const StampRead& start, const StampRead& end) {
  if (!start.seconds || !end.seconds || EndsBeforeStart(start, end)) return std::nullopt;
  return *end.seconds - *start.seconds;
}

bool EndsBeforeStart(const StampRead& start, const StampRead& end) {
  return start.seconds && end.seconds && *end.seconds < *start.seconds;
}

RunReport MakeRunReport(const ReadLog& log) {
  RunReport report;
  report.unknown_lines = log.unknown_lines;
  RunBuilder builder;
  RunRow run;
  for (const ReadRecord& record : log.records) {
    builder.Take(record);
    while (builder.Next(&run)) report.runs.push_back(std::move(run));
  }
  builder.Finish();
  while (builder.Next(&run)) report.runs.push_back(std::move(run));
  report.records_outside_runs = builder.records_outside_runs();
  return report;
}

}  // namespace quill::plan
