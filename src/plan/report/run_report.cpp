#include "plan/report/run_report.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "log/time_stamp.h"
#include "plan/text/civil_time.h"

namespace quill::plan {

namespace {

// Digits only, `count` of them, and at most four: a stamp's fields are
// short, so no field read from a log can overflow.
bool ReadNumber(std::string_view text, size_t from, size_t count, int* value) {
  if (count == 0 || count > 4 || from + count > text.size()) return false;
  *value = 0;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

// The month of a date part, by the names the log writes with.
int MonthOf(std::string_view date) {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> made;
    for (int month = 1; month <= 12; ++month) {
      LocalTime time;
      time.month = month;
      time.day = 1;
      const WString written = FormatTimeStamp(time).date;  // "Sunday, January 01, 0"
      const size_t from = written.find(u", ") + 2;
      const WString name = written.substr(from, written.find(u' ', from) - from) + u" ";
      made.emplace_back(name.begin(), name.end());  // English: one byte a character
    }
    return made;
  }();
  const size_t comma = date.find(", ");
  if (comma == std::string_view::npos) return 0;
  for (int month = 1; month <= 12; ++month) {
    const std::string& name = names[month - 1];
    if (date.compare(comma + 2, name.size(), name) == 0) return month;
  }
  return 0;
}

// "09:05:03".
bool ReadTime(std::string_view time, LocalTime* local) {
  return time.size() == 8 && time[2] == ':' && time[5] == ':' &&
         ReadNumber(time, 0, 2, &local->hour) && ReadNumber(time, 3, 2, &local->minute) &&
         ReadNumber(time, 6, 2, &local->second) &&
         IsRealTime(local->hour, local->minute, local->second);
}

// "Sunday, December 06, 2026": the day and year close the text.
bool ReadDate(std::string_view date, LocalTime* local) {
  local->month = MonthOf(date);
  const size_t year_comma = date.rfind(", ");
  return local->month != 0 && year_comma != std::string_view::npos && year_comma >= 3 &&
         date.size() - year_comma - 2 == 4 && date[year_comma - 3] == ' ' &&
         ReadNumber(date, year_comma - 2, 2, &local->day) &&
         ReadNumber(date, year_comma + 2, 4, &local->year) &&
         IsRealDate(local->year, local->month, local->day);
}

// The "%d" the program wrote: an int32, or nothing when it does not read.
std::optional<int32_t> NumberOf(const RecordSpan& record) {
  if (record.value_count == 0) return std::nullopt;
  const std::string_view text = record.values[0];
  const bool negative = !text.empty() && text[0] == '-';
  const size_t from = negative ? 1 : 0;
  if (text.size() == from || text.size() - from > 10) return std::nullopt;
  int64_t value = 0;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

void Clear(StampRead* stamp) {
  stamp->text.clear();
  stamp->seconds.reset();
}

// An application row made ready for another application, its room kept.
void MakeReady(AppRow* app, int64_t line) {
  app->list_section.clear();
  app->app_section.clear();
  app->command_line.clear();
  Clear(&app->start);
  Clear(&app->end);
  app->outcome = AppOutcome::kNoResult;
  app->counted_seconds.reset();
  app->exit_code.reset();
  app->verdict.reset();
  app->exit_record = false;
  app->busy_tries = 0;
  app->detection = Detection::kNone;
  app->detect_rule.clear();
  app->not_verified = nullptr;
  app->cut_short = false;
  app->line = line;
}

}  // namespace

// The stamps of a run mostly share their date, which is read once.
void RunBuilder::Stamp(const RecordSpan& record, StampRead* stamp) {
  stamp->seconds.reset();
  if (record.value_count < 2) {
    stamp->text.Assign(record.value(0));
    return;
  }
  const std::string_view time = record.values[0];
  const std::string_view date = record.values[1];
  if (date != last_date_.text) {
    LocalTime local;
    last_date_.read = ReadDate(date, &local);
    if (last_date_.read) last_date_.days = DaysFromCivil(local.year, local.month, local.day);
    last_date_.text.assign(date);
  }
  LocalTime local;
  if (last_date_.read && ReadTime(time, &local)) {
    stamp->seconds = last_date_.days * 86400 + local.hour * 3600 + local.minute * 60 + local.second;
    stamp->text.clear();
    return;
  }
  stamp->text.Assign(time);
  stamp->text.Append(" ");
  stamp->text.Append(date);
}

void RunBuilder::Take(const RecordSpan& record) {
  if (record.record == LogRecord::kBannerSecondLine) {
    // Opens a run whatever came before it: its line of stars may be
    // missing, or overwritten by a crash.
    const bool waiting = first_banner_line_.waiting;
    first_banner_line_.waiting = false;
    Open(waiting ? first_banner_line_.line : record.line);
    TakeInRun(record);
    return;
  }
  TakeWaitingLine();
  if (record.record == LogRecord::kBannerFirstLine) {
    first_banner_line_ = {true, record.cut_short, record.line};
    return;
  }
  TakeInRun(record);
}

const RunRow* RunBuilder::Next() {
  if (handed_out_ == done_count_) {
    handed_out_ = done_count_ = 0;  // the rows handed out are filled again
    return nullptr;
  }
  return &done_[handed_out_++];
}

// A first banner line that no second followed: a line of the run at hand.
void RunBuilder::TakeWaitingLine() {
  if (!first_banner_line_.waiting) return;
  first_banner_line_.waiting = false;
  RecordSpan first;
  first.cut_short = first_banner_line_.cut_short;
  first.line = first_banner_line_.line;
  TakeInRun(first);
}

void RunBuilder::Finish() {
  TakeWaitingLine();
  Close();
}

void RunBuilder::CutShort(const RecordSpan& record) {
  // A banner torn opens no run, and leaves the one before it whole.
  const LogRecord kind = record.record;
  const bool banner = kind == LogRecord::kBannerFirstLine || kind == LogRecord::kBannerSecondLine;
  if (banner) return;
  TakeWaitingLine();
  if (!open_) return;
  // Its opening tells what a detection record says, torn or not: a torn
  // "installed nothing" is no success.
  if (kind == LogRecord::kInstalledAlready || kind == LogRecord::kInstalledNothing ||
      kind == LogRecord::kDetectAfterRestart || kind == LogRecord::kNothingAfterRestart) {
    RecordSpan torn = record;
    torn.cut_short = true;
    TakeInRun(torn);
  } else {
    ++run_.cut_short_records;
  }
  if (run_.outcome == RunOutcome::kApplicationsRun) run_.outcome = RunOutcome::kCutShort;
}

void RunBuilder::Reset() {
  first_banner_line_ = {};
  open_ = false;
  done_count_ = handed_out_ = 0;
  app_done_ = false;
  records_outside_runs_ = 0;
  unused_records_ = UnusedRecords();
}

// The row of the run is one handed back earlier: its applications and
// strings keep their room.
void RunBuilder::Open(int64_t line) {
  Close();
  run_.applications.clear();
  Clear(&run_.start);
  Clear(&run_.end);
  for (LogText* text : {&run_.system_id, &run_.os_type, &run_.lcid, &run_.language_code, &run_.error}) {
    text->clear();
  }
  run_.outcome = RunOutcome::kApplicationsRun;
  run_.cut_short_records = 0;
  run_.installed_already = 0;
  run_.log_copy_records = 0;
  run_.log_copy_where.clear();
  run_.log_copy_cause.clear();
  run_.log_copy_unused = false;
  run_.line = line;
  run_.stopped_for_restart = run_.needs_restart = false;
  run_.restart.clear();
  resume_ = Resume::kNone;
  run_end_from_app_ = true;
  open_ = true;
}

void RunBuilder::Close() {
  if (!open_) return;
  const bool errored = run_.outcome == RunOutcome::kMissingAppInstlPath ||
                       run_.outcome == RunOutcome::kMissingLanguageTable;
  if (!errored && !run_.applications.empty() &&
      run_.applications.back().outcome == AppOutcome::kNoResult) {
    run_.outcome = RunOutcome::kCutShort;
  }
  if (done_count_ == done_.size()) done_.emplace_back();
  std::swap(done_[done_count_++], run_);
  open_ = false;
  app_done_ = false;
}

AppRow& RunBuilder::CurrentApp(const RecordSpan& record) {
  AppRows& apps = run_.applications;
  if (apps.empty() || app_done_) {
    MakeReady(&apps.Add(), record.line);
    app_done_ = false;
  }
  return apps.back();
}

// One case a record of the log, in the order a run writes them: the run's
// own records, a deployment's restarts, then an application's, whose row
// every other record of its place still belongs to.
void RunBuilder::TakeInRun(const RecordSpan& record) {
  if (!open_) {
    ++records_outside_runs_;
    return;
  }
  run_.cut_short_records += record.cut_short ? 1 : 0;
  AppRow* app = nullptr;
  bool stamped = false;
  switch (record.record) {
    case LogRecord::kBannerSecondLine:
      Stamp(record, &run_.start);
      run_.end = run_.start;
      run_end_from_app_ = false;
      return;
    case LogRecord::kSystemIdentity: run_.system_id.Assign(record.value(0)); return;
    case LogRecord::kOSTypeIdentity: run_.os_type.Assign(record.value(0)); return;
    case LogRecord::kLocaleLanguage: run_.lcid.Assign(record.value(0)); return;
    case LogRecord::kCodeLanguage: run_.language_code.Assign(record.value(0)); return;
    case LogRecord::kMissingKeyError:
      run_.outcome = RunOutcome::kMissingAppInstlPath;
      run_.error.Assign(record.value(0));
      return;
    case LogRecord::kFileOpenError:
      run_.outcome = RunOutcome::kMissingLanguageTable;
      run_.error.Assign(record.value(0));
      return;
    case LogRecord::kBannerFirstLine:
    case LogRecord::kBannerThirdLine:
    case LogRecord::kExitCodesUnread:  // told for the admin; the defaults were used
    case LogRecord::kExitSettingClamped:
    case LogRecord::kHashListUnread:  // each application then says it was not verified
    case LogRecord::kHashListLineUnread:
    case LogRecord::kVerified:
    case LogRecord::kDetectRuleUnread:  // told for the admin; the rule was left out
      return;
    case LogRecord::kExitCode: TakeExitCode(record); return;
    case LogRecord::kInstalledAlready: TakeInstalledAlready(record); return;
    case LogRecord::kInstalledNothing:
    case LogRecord::kDetectAfterRestart: TakeDetection(record); return;
    case LogRecord::kInstalledAfterRestart:
    case LogRecord::kNothingAfterRestart: TakeDetectionAfterRestart(record); return;

    case LogRecord::kRestartStop:
    case LogRecord::kResumeBeforeRestart:  // still stopped for that restart
      run_.restart.Assign(record.value(0));
      run_.stopped_for_restart = true;
      return;
    case LogRecord::kRebootStartedEnd: run_.stopped_for_restart = true; return;
    case LogRecord::kRebootStartedAtBound:
      run_.stopped_for_restart = run_.needs_restart = true;
      return;
    case LogRecord::kRestartRefused: run_.stopped_for_restart = false; [[fallthrough]];
    case LogRecord::kRestartBound:
    case LogRecord::kRestartNotRegistered: run_.needs_restart = true; return;
    case LogRecord::kResume:
      if (resume_ == Resume::kNone) resume_ = Resume::kResumed;
      return;
    case LogRecord::kRestartsUnused:  // told for the admin, as the file records are
    case LogRecord::kRestartFileOnShare:
    case LogRecord::kRestartFileUsersWrite:
    case LogRecord::kResumeStale:
    case LogRecord::kResumeUnread:
    case LogRecord::kResumeOther:
    case LogRecord::kResumeCleared:
    case LogRecord::kResumeIniUnread: return;
    case LogRecord::kLogCopyUnused:
    case LogRecord::kLogCopyFailed: TakeLogCopy(record); return;
    case LogRecord::kEndedAtLimit: TakeEndedAtLimit(); return;
    case LogRecord::kNotEndedAtLimit:  // a time-out as any other
    case LogRecord::kNotInJob:         // told for the admin; the wait was the installer's
    case LogRecord::kInstallerServiceWaited:
    case LogRecord::kInstallerServiceBusy: return;

    case LogRecord::kProcessing:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->list_section.Assign(record.value(0));
      app->app_section.Assign(record.value(1));
      break;
    case LogRecord::kLaunched:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->command_line.Assign(record.value(0));
      break;
    case LogRecord::kStart:
      if ((app = PlacedApp(record)) == nullptr) return;
      Stamp(record, &app->start);
      stamped = true;
      break;
    case LogRecord::kEnd:
      if ((app = PlacedApp(record)) == nullptr) return;
      Stamp(record, &app->end);
      stamped = true;
      break;
    case LogRecord::kResultFinished:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->outcome = AppOutcome::kFinished;
      app->counted_seconds = NumberOf(record);
      app_done_ = true;
      break;
    case LogRecord::kResultLaunchFailed:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->outcome = AppOutcome::kLaunchFailed;
      app_done_ = true;
      break;
    case LogRecord::kNotVerified:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->not_verified = NotVerifiedReason(record.value(1));
      break;
    case LogRecord::kResultTimedOut:
      if ((app = PlacedApp(record)) == nullptr) return;
      app->outcome = AppOutcome::kTimedOut;
      app->counted_seconds = NumberOf(record);
      app_done_ = true;
      break;
    default:
      if ((app = PlacedApp(record)) == nullptr) return;
      break;
  }
  app->cut_short = app->cut_short || record.cut_short;
  MoveRunEndTo(*app, stamped);
}

// The run's copy to the fleet's folder that was not made: the last one told.
void RunBuilder::TakeLogCopy(const RecordSpan& record) {
  ++run_.log_copy_records;
  run_.log_copy_unused = record.record == LogRecord::kLogCopyUnused;
  run_.log_copy_where.Assign(record.value(0));
  run_.log_copy_cause.Assign(record.value(1));
}

std::string LogCopyWords(const RunFacts& run) {
  if (run.log_copy_records == 0) return "";
  if (run.log_copy_unused)
    return "LogCopy=" + run.log_copy_where.Utf8() + " is not used: " + run.log_copy_cause.Utf8();
  return run.log_copy_where.Utf8() + " was not written: " + run.log_copy_cause.Utf8();
}

// Tells of the time-out just before it: that installer was ended.
void RunBuilder::TakeEndedAtLimit() {
  AppRows& apps = run_.applications;
  if (!apps.empty() && app_done_ && apps.back().outcome == AppOutcome::kTimedOut)
    apps.back().ended_at_limit = true;
}

// The run ends at the application's last stamp that reads. Told again
// after every record of it, that is news only when a stamp came or a
// banner line moved the end since.
void RunBuilder::MoveRunEndTo(const AppRow& app, bool stamped) {
  if (!stamped && run_end_from_app_) return;
  // A stamp that reads keeps no text.
  if (app.end.seconds || app.start.seconds) {
    run_.end.seconds = app.end.seconds ? app.end.seconds : app.start.seconds;
    run_.end.text.clear();
  }
  run_end_from_app_ = true;
}

// The row an application's record belongs to, where the program writes
// one: a new application, or the next try of one that met a busy code.
AppRow* RunBuilder::PlacedApp(const RecordSpan& record) {
  if (!Placed(record)) return nullptr;
  if (record.record == LogRecord::kProcessing && !TriedAgain(record)) app_done_ = true;
  return &CurrentApp(record);
}

// The next try of the application that met a busy code just before: the
// same row, for one application is one row however often it was tried.
bool RunBuilder::TriedAgain(const RecordSpan& processing) {
  AppRows& apps = run_.applications;
  if (apps.empty() || !app_done_ || apps.back().verdict != ExitVerdict::kBusyTriedAgain)
    return false;
  AppRow& app = apps.back();
  if (app.list_section.bytes() != processing.value(0) ||
      app.app_section.bytes() != processing.value(1)) {
    return false;
  }
  app.outcome = AppOutcome::kNoResult;
  app.counted_seconds.reset();
  app.exit_code.reset();
  app.verdict.reset();
  app.exit_record = false;
  app_done_ = false;
  return true;
}

// Belongs to the application whose result "finished" came just before it;
// one anywhere else is not this program's, and is named.
void RunBuilder::TakeExitCode(const RecordSpan& record) {
  AppRows& apps = run_.applications;
  if (apps.empty() || !app_done_) {
    unused_records_.Take(record.line, "an exit record before its application's result");
    return;
  }
  AppRow& app = apps.back();
  if (app.exit_record) {
    unused_records_.Take(record.line, "a second exit record for one application");
    return;
  }
  if (app.outcome != AppOutcome::kFinished && !app.ended_at_limit) {
    unused_records_.Take(record.line, "an exit record after an application that did not finish");
    return;
  }
  app.exit_record = true;
  app.cut_short = app.cut_short || record.cut_short;
  if (!record.cut_short) app.exit_code = ReadExitCode(record.value(0));
  if (app.exit_code) app.verdict = ReadExitVerdict(record.value(1));
  if (!app.exit_code) {
    unused_records_.Take(record.line, "an exit code that does not read");
  } else if (!app.verdict) {
    unused_records_.Take(record.line, "an exit verdict that does not read");
  } else if (app.verdict == ExitVerdict::kBusyTriedAgain) {
    // Neither finished nor failed: the next try tells, and a log that
    // ends here was cut short.
    ++app.busy_tries;
    app.outcome = AppOutcome::kNoResult;
  }
}

// Where the program never writes an application's record: after its run
// stopped for a restart, or a hash refusal after the result.
bool RunBuilder::Placed(const RecordSpan& record) {
  const char* why = nullptr;
  if (run_.stopped_for_restart) {
    why = "an application's record after its run stopped for a restart";
  } else if (record.record == LogRecord::kNotVerified && (run_.applications.empty() || app_done_)) {
    why = "a not-verified record outside its application";
  }
  if (why != nullptr) unused_records_.Take(record.line, why);
  return why == nullptr;
}

// Stands between applications, never inside one.
void RunBuilder::TakeInstalledAlready(const RecordSpan& record) {
  if (!Placed(record)) return;
  if (!run_.applications.empty() && !app_done_) {
    unused_records_.Take(record.line, "an installed-already record inside an application");
    return;
  }
  ++run_.installed_already;
  app_done_ = true;  // what follows is another application's
}

// Belongs to the application that ended just before it, as an exit record.
void RunBuilder::TakeDetection(const RecordSpan& record) {
  if (!Placed(record)) return;
  AppRows& apps = run_.applications;
  const char* why = nullptr;
  if (apps.empty() || !app_done_) {
    why = "a detection record before its application's result";
  } else if (apps.back().outcome != AppOutcome::kFinished) {
    why = "a detection record after an application that did not finish";
  } else if (apps.back().detection != Detection::kNone) {
    why = "a second detection record for one application";
  }
  if (why != nullptr) {
    unused_records_.Take(record.line, why);
    return;
  }
  AppRow& app = apps.back();
  app.cut_short = app.cut_short || record.cut_short;
  app.detection = record.record == LogRecord::kInstalledNothing ? Detection::kInstalledNothing
                                                                : Detection::kWaitsForRestart;
  app.detect_rule.Assign(record.value(0));
}

// The first record of a resumed run: the application it resumes after,
// asked again. One that installed nothing is a row of this run, a failure.
void RunBuilder::TakeDetectionAfterRestart(const RecordSpan& record) {
  if (resume_ != Resume::kResumed || !run_.applications.empty() || run_.installed_already > 0) {
    unused_records_.Take(record.line, "a detection record after the restart outside its resume");
    return;
  }
  resume_ = Resume::kAsked;
  if (record.record != LogRecord::kNothingAfterRestart) return;
  AppRow& app = run_.applications.Add();
  MakeReady(&app, record.line);
  app.app_section.Assign(record.value(0));
  app.outcome = AppOutcome::kFinished;
  app.detection = Detection::kInstalledNothing;
  app.detect_rule.Assign(record.value(1));
  app.cut_short = record.cut_short;
  app_done_ = true;
}

bool InstalledNothing(const AppRow& app) {
  return app.outcome == AppOutcome::kFinished && app.detection == Detection::kInstalledNothing;
}

namespace {
enum Reason {
  kNotInList,
  kListUnreadable,
  kListedTwice,
  kNotFullPath,
  kOther,
  kCannotOpen,
  kCannotHash,
  kHashDiffers
};
}  // namespace

const std::array<const char*, 8>& NotVerifiedReasons() {
  static const std::array<const char*, 8> reasons = {
      "not in the list", "hash list unreadable", "listed twice",     "not a full path",
      "other",           "cannot be opened",     "cannot be hashed", "hash differs"};
  return reasons;
}

const char* NotVerifiedReason(std::string_view why) {
  const auto ends = [why](std::string_view end) {
    return why.size() >= end.size() && why.substr(why.size() - end.size()) == end;
  };
  const auto& reasons = NotVerifiedReasons();
  if (why == "not in the list") return reasons[kNotInList];
  if (why == "the hash list cannot be read") return reasons[kListUnreadable];
  if (why == "listed twice with different hashes") return reasons[kListedTwice];
  if (why == "not a full path, so Windows would search for it") return reasons[kNotFullPath];
  if (why.rfind("expected ", 0) != 0) return reasons[kOther];
  if (ends(", cannot be opened")) return reasons[kCannotOpen];
  if (ends(", cannot be hashed")) return reasons[kCannotHash];
  return reasons[why.find(", found ") != std::string_view::npos ? kHashDiffers : kOther];
}

bool FailedByExitCode(const AppRow& app) {
  return app.outcome == AppOutcome::kFinished &&
         (app.verdict == ExitVerdict::kFailure || (app.exit_record && !app.verdict));
}

std::optional<uint32_t> ReadExitCode(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::optional<ExitVerdict> ReadExitVerdict(std::string_view words) {
  for (ExitVerdict verdict :
       {ExitVerdict::kSuccess, ExitVerdict::kRebootRequired, ExitVerdict::kRebootStarted,
        ExitVerdict::kFailure, ExitVerdict::kBusyTriedAgain, ExitVerdict::kEndedAtTimeLimit}) {
    const WString written = ExitVerdictWords(verdict);
    if (words.size() == written.size() && std::equal(words.begin(), words.end(), written.begin())) {
      return verdict;
    }
  }
  return std::nullopt;
}

std::optional<int64_t> ReadStamp(const WString& time, const WString& date) {
  LocalTime local;
  if (!ReadTime(LogText::FromWide(time).bytes(), &local) ||
      !ReadDate(LogText::FromWide(date).bytes(), &local)) {
    return std::nullopt;
  }
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
  std::string values[RecordSpan::kMostValues];
  for (const ReadRecord& record : log.records) {
    RecordSpan span;
    span.record = record.record;
    span.cut_short = record.cut_short;
    span.line = record.line;
    span.value_count = std::min(record.values.size(), RecordSpan::kMostValues);
    for (size_t i = 0; i < span.value_count; ++i) {
      values[i] = LogText::FromWide(record.values[i]).bytes();
      span.values[i] = values[i];
    }
    builder.Take(span);
    while (const RunRow* run = builder.Next()) report.runs.push_back(*run);
  }
  builder.Finish();
  while (const RunRow* run = builder.Next()) report.runs.push_back(*run);
  report.records_outside_runs = builder.records_outside_runs();
  report.unused_records = builder.unused_records();
  return report;
}

}  // namespace quill::plan
