#include "fleet/fleet_generator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "base/utf.h"
#include "log/log_record.h"
#include "log/time_stamp.h"
#include "plan/text/civil_time.h"

namespace quill::plan {

namespace {

struct App {
  const char16_t* name;
  const char16_t* command;
  int typical_seconds;
};

// A comma and quotes in a command line, a name beyond ASCII: what a CSV
// and a page must carry through.
const App kApps[] = {
    {u"Reader", u"C:\\Apps\\Reader\\07\\setup.exe /s", 20},
    {u"Office", u"C:\\Apps\\Office\\setup.exe /config \"std,full.xml\"", 240},
    {u"Antivirus", u"C:\\Apps\\AV\\install.exe /quiet", 120},
    {u"Chipset", u"C:\\Drivers\\Chipset\\setup.exe -s", 15},
    {u"Browser", u"C:\\Apps\\Browser\\US\\setup.exe /S", 30},
    {u"R\u00E9seau", u"C:\\Apps\\R\u00E9seau\\setup.exe /q", 8},
    {u"Codecs", u"C:\\Apps\\Codecs\\setup.exe /verysilent", 5},
    {u"Backup", u"C:\\Program Files\\Backup\\install.exe /q", 60},
    {u"VPN", u"C:\\Apps\\VPN\\vpn.msi /qn", 45},
    {u"FleetUpdaterServiceEnterpriseEdition2026", u"C:\\Apps\\Updater\\update.exe /silent", 90},  // a name no label holds
};
const char16_t* const kOSTypes[] = {u"WINXP", u"VISTA32", u"VISTA64", u""};
const char16_t* const kLanguages[][2] = {{u"0x407", u"07"}, {u"0x409", u"09"}, {u"0x40c", u"0C"},
                                         {u"0x411", u"11"}, {u"0x410", u"10"}, {u"0x4", u""}};
constexpr int kMachines = 60;
constexpr int kMaxInstallTime = 300;
constexpr int kLogsPerFolder = 500;

enum Outcome { kFinished, kLaunchFailed, kTimedOut, kNoResult };

class LogMaker {
 public:
  LogMaker(std::mt19937& random, FleetTruth& truth, const FleetMix& mix)
      : random_(random), truth_(truth) {
    for (const std::string& id : mix.system_ids) system_ids_.push_back(FromUtf8(id));
    for (int m = 0; mix.system_ids.empty() && m < kMachines; ++m) {
      system_ids_.push_back(u"0x" + FromUtf8(std::to_string(1000 + m)));
    }
    for (const auto& [lcid, code] : mix.languages) languages_.push_back({FromUtf8(lcid), FromUtf8(code)});
    for (const auto* language : kLanguages) {
      if (mix.languages.empty()) languages_.push_back({language[0], language[1]});
    }
  }

  std::string Make(const std::string& file) {
    bytes_.clear();
    file_ = file;
    system_id_ = system_ids_[Pick(0, static_cast<int>(system_ids_.size()) - 1)];
    os_type_ = kOSTypes[Pick(0, 3)];
    int runs = Pick(1, 2);
    int64_t now = (int64_t{20454} + Pick(0, 364)) * 86400 + Pick(0, 86399);  // a day of 2026
    for (int run = 0; run < runs; ++run) {
      if (!Run(&now, run + 1 == runs)) break;
      const bool failed = truth_.run_list.back().error ||
                          std::any_of(truth_.run_list.back().apps.begin(), truth_.run_list.back().apps.end(),
                                      [](const auto& app) { return app.second != kFinished; });
      if (failed && run + 1 == runs && runs < 4 && Pick(0, 9) < 7) {
        ++runs;  // tried again the same day
        now += Pick(600, 6 * 3600);
      } else {
        now += Pick(3600, 30 * 86400);
      }
    }
    return bytes_;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void Record(LogRecord record, std::vector<WString> texts = {}, int32_t number = 0) {
    bytes_ += EncodeLogText(FormatLogRecord(record, {std::move(texts), number}));
  }
  void Stamped(LogRecord record, int64_t seconds) {
    const TimeStamp stamp = FormatTimeStamp(CivilFromSeconds(seconds));
    Record(record, {stamp.time, stamp.date});
  }

  // One run's block; false when it was cut short and the log ends here.
  bool Run(int64_t* now, bool last) {
    const WString& system_id = system_id_;
    const WString& os_type = os_type_;
    truth_.run_list.push_back({file_, *now, ToUtf8(system_id), ToUtf8(os_type), "", "", false, false, {}});
    RunTruth& listed = truth_.run_list.back();
    Record(LogRecord::kBannerFirstLine);
    Stamped(LogRecord::kBannerSecondLine, *now);
    Record(LogRecord::kBannerThirdLine);
    Record(LogRecord::kSystemIdentity, {system_id});
    Record(LogRecord::kOSTypeIdentity, {os_type});
    ++truth_.runs;
    truth_.machines.insert(ToUtf8(system_id));
    const std::string machine_os = ToUtf8(system_id) + " " + ToUtf8(os_type);
    ++truth_.runs_by_machine_os[machine_os];
    int64_t& failed = truth_.failed_by_machine_os[machine_os];

    const int kind = Pick(0, 99);
    if (kind < 2) {
      if (kind == 0) {
        Record(LogRecord::kMissingKeyError, {u"AppInstlPath"});
      } else {
        Record(LogRecord::kFileOpenError, {u"C:\\AppInstl\\LANG.INI"});
      }
      ++truth_.error_runs;
      ++failed;
      listed.error = true;
      return true;
    }
    const auto& [lcid, code] = languages_[Pick(0, static_cast<int>(languages_.size()) - 1)];
    Record(LogRecord::kLocaleLanguage, {lcid});
    Record(LogRecord::kCodeLanguage, {code});
    listed.lcid = ToUtf8(lcid);
    listed.language_code = ToUtf8(code);

    bool all_finished = true;
    const int apps = Pick(3, 7);
    const int first = Pick(0, 9);
    for (int i = 0; i < apps; ++i) {
      const App& app = kApps[(first + i * 3) % 10];
      const bool pass_one = i >= apps - 1 && !os_type.empty();
      const WString list = (i % 2 == 0 ? WString(u"0xFFFF") : system_id) +
                           (pass_one ? u"_" + os_type : WString());
      Record(LogRecord::kProcessing, {list, app.name});
      Record(LogRecord::kLaunched, {app.command});
      Stamped(LogRecord::kStart, *now);
      const int roll = Pick(0, 99);
      const Outcome outcome = last && i + 1 == apps && roll == 0 ? kNoResult
                              : roll < 5                         ? kLaunchFailed
                              : roll < 9                         ? kTimedOut
                                                                 : kFinished;
      AppTruth& counted = truth_.apps[ToUtf8(app.name)];
      ++counted.runs;
      ++counted.outcomes[outcome];
      ++truth_.application_runs;
      ++truth_.outcomes[outcome];
      all_finished = all_finished && outcome == kFinished;
      listed.apps.emplace_back(ToUtf8(app.name), outcome);
      if (outcome == kNoResult) {
        listed.cut_short = true;
        ++truth_.cut_short_runs;
        ++failed;
        return false;
      }
      const int seconds = outcome == kLaunchFailed ? 0
                          : outcome == kTimedOut   ? kMaxInstallTime + Pick(1, 3)
                                                   : Pick(0, app.typical_seconds * 2);
      counted.max_seconds = std::max<int64_t>(counted.max_seconds, seconds);
      *now += seconds;
      Stamped(LogRecord::kEnd, *now);
      if (outcome == kFinished) Record(LogRecord::kResultFinished, {}, 1 + 3 * ((seconds + 2) / 3));
      if (outcome == kLaunchFailed) Record(LogRecord::kResultLaunchFailed);
      if (outcome == kTimedOut) Record(LogRecord::kResultTimedOut, {}, kMaxInstallTime);
      *now += Pick(0, 2);
    }
    failed += all_finished ? 0 : 1;
    return true;
  }

  std::mt19937& random_;
  FleetTruth& truth_;
  std::string bytes_;
  std::string file_;
  WString system_id_;
  WString os_type_;
  std::vector<WString> system_ids_;
  std::vector<std::pair<WString, WString>> languages_;
};

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// What else lies on a share: notes, an empty file, something binary.
std::string OtherFile(int which) {
  switch (which % 3) {
    case 0: return "Collected from the lab on Monday.\r\nAsk Eva about 0x1042.\r\n";
    case 1: return "";
    default: return std::string("PK\x03\x04\x00\x00\x08\x00", 8) + std::string(200, '\x7f');
  }
}

}  // namespace

FleetTruth WriteFleet(const std::string& folder, int logs, uint32_t seed, const FleetMix& mix) {
  std::mt19937 random(seed);
  FleetTruth truth;
  LogMaker maker(random, truth, mix);
  for (int i = 0; i < logs; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "site-%03d", i / kLogsPerFolder);
    const std::filesystem::path sub = std::filesystem::u8path(folder) / name;
    if (i % kLogsPerFolder == 0) std::filesystem::create_directories(sub);
    std::snprintf(name, sizeof name, "PC%06d.LOG", i);
    const std::string bytes = maker.Make((sub / name).u8string());
    Write(sub / name, bytes);
    ++truth.log_files;
    truth.bytes += static_cast<int64_t>(bytes.size());
    if (mix.other_files && i % 400 == 7) {
      std::snprintf(name, sizeof name, "notes-%06d.txt", i);
      Write(sub / name, OtherFile(i / 400));
      ++truth.other_files;
    }
  }
  return truth;
}

}  // namespace quill::plan
