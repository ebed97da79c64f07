// Formats and writes 100,000 records through the fake platform and reports
// the rate, so the log's own cost can be set against the pauses it reports.
#include <chrono>
#include <cstdio>

#include "fake_platform.h"
#include "log/run_log.h"

int main() {
  using quill::LogRecord;
  constexpr int kRecords = 100000;
  quill::FakePlatform platform;
  platform.AddDirectory(u"C:\\SYSTEM.SAV\\UTIL");
  platform.AddIniFile(u"C:\\in.ini", u"[Settings]\n");
  quill::RunContext context;
  context.InputIniPath = u"C:\\in.ini";
  context.SystemID = u"0xPC42";
  quill::OpenRunLog(context, platform);

  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRecords; i += 5) {
    quill::WriteLogRecord(context, LogRecord::kProcessing, {{u"0xFFFF_VISTA64", u"Reader"}});
    quill::WriteLogRecord(context, LogRecord::kLaunched,
                          {{u"C:\\Program Files\\Apps\\Reader\\12\\setup.exe /s /v\"/qn\""}});
    quill::WriteStampedRecord(context, LogRecord::kStart, platform);
    quill::WriteStampedRecord(context, LogRecord::kEnd, platform);
    quill::WriteLogRecord(context, LogRecord::kResultFinished, {{}, 7});
  }
  quill::CloseRunLog(context);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const size_t bytes = platform.FileBytes(quill::kDefaultLogPath).size();
  std::printf("log benchmark: %d records, %zu bytes in %.3f s: %.0f records/s, %.2f us/record\n",
              kRecords, bytes, seconds, kRecords / seconds, seconds * 1e6 / kRecords);
  std::printf("log benchmark: one application's five records cost %.2f us against its 1 s pause\n",
              seconds * 1e6 / (kRecords / 5));
  return 0;
}
