#include "plan/fleet/fleet_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "plan/report/log_records.h"

namespace quill::plan {

namespace {

constexpr size_t kLookFor = 4096;
constexpr char kBanner[] = "QUILLRUN starts at: ";

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::unique_ptr<std::FILE, Closer> Open(const std::string& path) {
#ifdef _WIN32
  return std::unique_ptr<std::FILE, Closer>(
      _wfopen(std::filesystem::u8path(path).wstring().c_str(), L"rb"));
#else
  return std::unique_ptr<std::FILE, Closer>(std::fopen(path.c_str(), "rb"));
#endif
}

// Reads on from buffer->size() up to `limit` bytes in all; false on an error.
bool ReadUpTo(std::FILE* file, size_t limit, std::string* buffer) {
  char chunk[65536];
  while (buffer->size() < limit) {
    const size_t want = std::min(sizeof chunk, limit - buffer->size());
    const size_t got = std::fread(chunk, 1, want, file);
    buffer->append(chunk, got);
    if (got < want) return !std::ferror(file);
  }
  return true;
}

void Note(const std::string& path, std::vector<FileProblem>* problems, int line,
          const std::string& reason, bool skipped) {
  problems->push_back({path, line, reason, skipped});
}

}  // namespace

bool ReadFleetLog(const std::string& path, std::string* buffer, RunReport* report,
                  std::vector<FileProblem>* notes) {
  buffer->clear();
  const auto file = Open(path);
  if (!file) {
    Note(path, notes, 0, std::string("cannot be read: ") + std::strerror(errno), true);
    return false;
  }
  if (!ReadUpTo(file.get(), kLookFor, buffer)) {
    Note(path, notes, 0, "cannot be read: a read failed", true);
    return false;
  }
  if (buffer->empty()) {
    Note(path, notes, 0, "not a run log: the file is empty", true);
    return false;
  }
  if (buffer->find(kBanner) == std::string::npos) {
    Note(path, notes, 0, "not a run log: no banner \"QUILLRUN starts at:\" in its first 4 KiB", true);
    return false;
  }
  if (!ReadUpTo(file.get(), kLargestLog + 1, buffer)) {
    Note(path, notes, 0, "cannot be read: a read failed", true);
    return false;
  }
  if (buffer->size() > kLargestLog) {
    Note(path, notes, 0, "not read: larger than 16 MiB, more than a machine's run log", true);
    return false;
  }
  const ReadLog log = ReadLogRecords(*buffer);
  *report = MakeRunReport(log);
  if (report->runs.empty()) {
    Note(path, notes, 0, "not a run log: no run's banner in it", true);
    return false;
  }
  if (!log.unknown_lines.empty()) {
    const size_t lines = log.unknown_lines.size();
    Note(path, notes, log.unknown_lines.front(),
         lines == 1 ? "a line that holds no record; the rest was counted"
                    : std::to_string(lines) + " lines hold no record (the first here); the rest was counted",
         false);
  }
  if (report->records_outside_runs > 0) {
    Note(path, notes, report->runs.front().line,
         std::to_string(report->records_outside_runs) + " records before this first banner were not counted",
         false);
  }
  return true;
}

}  // namespace quill::plan
