#include "plan/report/run_report.h"

#include <cstdint>
#include <vector>

#include "log/time_stamp.h"
#include "plan/windows/civil_time.h"

namespace quill::plan {

namespace {

bool ReadNumber(const WString& text, size_t from, size_t count, int* value) {
  if (from + count > text.size()) return false;
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

StampRead Stamp(const ReadRecord& record) {
  StampRead stamp;
  if (record.values.size() < 2) {
    if (!record.values.empty()) stamp.text = record.values[0];
    return stamp;
  }
  stamp.text = record.values[0] + u" " + record.values[1];
  stamp.seconds = ReadStamp(record.values[0], record.values[1]);
  return stamp;
}

WString ValueOf(const ReadRecord& record, size_t index) {
  return index < record.values.size() ? record.values[index] : WString();
}

int32_t NumberOf(const ReadRecord& record) {
  const WString text = ValueOf(record, 0);
  const bool negative = !text.empty() && text[0] == u'-';
  int64_t value = 0;
  for (size_t i = negative ? 1 : 0; i < text.size() && value <= INT32_MAX; ++i) {
    if (text[i] < u'0' || text[i] > u'9') break;
    value = value * 10 + (text[i] - u'0');
  }
  return static_cast<int32_t>(negative ? -value : value);
}

class ReportBuilder {
 public:
  RunReport Build(const ReadLog& log) {
    report_.unknown_lines = log.unknown_lines;
    const std::vector<ReadRecord>& records = log.records;
    for (size_t i = 0; i < records.size(); ++i) {
      const ReadRecord& record = records[i];
      const bool opens_run = record.record == LogRecord::kBannerFirstLine && i + 1 < records.size() &&
                             records[i + 1].record == LogRecord::kBannerSecondLine;
      if (opens_run) {
        Finish();
        report_.runs.emplace_back();
        run_ = &report_.runs.back();
        run_->line = record.line;
        continue;
      }
      if (run_ == nullptr) {
        ++report_.records_outside_runs;
        continue;
      }
      Take(record);
    }
    Finish();
    return report_;
  }

 private:
  AppRow& CurrentApp(const ReadRecord& record) {
    if (run_->applications.empty() || app_done_) {
      run_->applications.emplace_back();
      run_->applications.back().line = record.line;
      app_done_ = false;
    }
    return run_->applications.back();
  }

  void Take(const ReadRecord& record) {
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

  void TakeApplicationRecord(const ReadRecord& record) {
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

  void Finish() {
    if (run_ == nullptr) return;
    const bool errored = run_->outcome == RunOutcome::kMissingAppInstlPath ||
                         run_->outcome == RunOutcome::kMissingLanguageTable;
    if (!errored && !run_->applications.empty() &&
        run_->applications.back().outcome == AppOutcome::kNoResult) {
      run_->outcome = RunOutcome::kCutShort;
    }
    run_ = nullptr;
    app_done_ = false;
  }

  RunReport report_;
  RunRow* run_ = nullptr;
  bool app_done_ = false;
};

}  // namespace

std::optional<int64_t> ReadStamp(const WString& time, const WString& date) {
  LocalTime local;
  if (time.size() != 8 || time[2] != u':' || time[5] != u':' ||
      !ReadNumber(time, 0, 2, &local.hour) || !ReadNumber(time, 3, 2, &local.minute) ||
      !ReadNumber(time, 6, 2, &local.second)) {
    return std::nullopt;
  }
  // "Sunday, December 06, 2026": the day and year close the text.
  local.month = MonthOf(date);
  const size_t year_comma = date.rfind(u", ");
  if (local.month == 0 || year_comma == WString::npos || year_comma < 3 ||
      !ReadNumber(date, year_comma - 2, 2, &local.day) ||
      !ReadNumber(date, year_comma + 2, date.size() - year_comma - 2, &local.year) ||
      date.size() - year_comma - 2 != 4) {
    return std::nullopt;
  }
  return SecondsFromCivil(local);
}

std::optional<int64_t> SecondsBetween(const StampRead& start, const StampRead& end) {
  if (!start.seconds || !end.seconds) return std::nullopt;
  return *end.seconds - *start.seconds;
}

RunReport MakeRunReport(const ReadLog& log) { return ReportBuilder().Build(log); }

}  // namespace quill::plan
