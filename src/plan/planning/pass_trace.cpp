#include "plan/planning/pass_trace.h"

#include <utility>
#include "base/ini_keys.h"

#include "base/profile_value.h"
#include "plan/planning/detect_answers.h"
#include "plan/text/case_fold.h"
#include "runner/application_command.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"

namespace quill::plan {

namespace {

// Hands the core's value reading one value that was read before.
class GivenValue : public ProfileReader {
 public:
  explicit GivenValue(WString value) : value_(std::move(value)) {}
  WString ReadPrivateProfileString(const WString&, const WString&, const WString&, size_t,
                                   const WString&) override {
    return std::move(value_);
  }

 private:
  WString value_;
};

// What the list walk asks for: "APP" and a number, in the file's own case.
bool IsAppKey(const IniChars& key) {
  if (key.size() < 4 || (key[0] != u'A' && key[0] != u'a') || (key[1] != u'P' && key[1] != u'p') ||
      (key[2] != u'P' && key[2] != u'p')) {
    return false;
  }
  for (size_t i = 3; i < key.size(); ++i) {
    if (key[i] < u'0' || key[i] > u'9') return false;
  }
  return true;
}

// The value the core made of a read. A key gives the same value every time,
// so a matrix works it out once.
const WString& ValueRead(const Event& event, PlanPlatform& platform, WString* scratch) {
  if (event.key == nullptr || !event.key->has_value) {
    *scratch = ProfileValueOf(event.first, platform);
    return *scratch;
  }
  auto& known = platform.trimmed_values();
  const auto key = std::make_pair(event.key, event.buffer_chars);
  auto found = known.find(key);
  if (found == known.end()) {
    found = known.emplace(key, ProfileValueOf(platform.ini().ValueText(event.key, WString(),
                                                                       event.buffer_chars),
                                              platform))
                .first;
  }
  return found->second;
}

bool HasBlank(const WString& text) { return text.find_first_of(u" \t") != WString::npos; }

// Records nothing while the plan asks its own questions.
class QuietJournal {
 public:
  explicit QuietJournal(PlanPlatform& platform) : platform_(platform), saved_(platform.journal()) {
    platform_.set_journal(nullptr);
  }
  ~QuietJournal() { platform_.set_journal(saved_); }

 private:
  PlanPlatform& platform_;
  Journal* saved_;
};

void AddDetectRule(const IniChars& name, const WString& value, PlanEntry* entry) {
  for (const char16_t* key :
       {KeyName(Key::kDetectMsi), KeyName(Key::kDetectFile), KeyName(Key::kDetectKey)}) {
    if (!value.empty() && EqualIgnoringCase(name, key)) {
      entry->detect_rules.push_back(key + (u"=" + value));
    }
  }
}

// What the run checked before it would start the entry: the same checks,
// asked again of the same files without a record.
void CheckHashes(PlanEntry& entry, const RunContext& context, PlanPlatform& platform) {
  if (context.HashList.empty() || entry.command_line.empty()) return;
  QuietJournal quiet(platform);
  WString handed = entry.handed;
  if (!entry.launched) {
    handed =
        ProcessCommandLine(BuildApplicationCommand(entry.app_section, context, platform), platform);
  }
  std::vector<HeldFile> held;
  entry.hash_checks = CheckInstallerFiles(handed, context, platform, &held);
  for (HeldFile file : held) platform.ReleaseHeld(file);
  if (!entry.launched && !entry.hash_checks.empty() && !entry.hash_checks.back().why.empty()) {
    entry.skip = SkipReason::kNotVerified;
  }
}

void Complete(PlanEntry& entry, const RunContext& context, PlanPlatform& platform) {
  // Only a program under a path with blanks is handed over other than built.
  if (entry.launched && !HasBlank(entry.app_path)) {
    entry.command_line = entry.handed;
    return;
  }
  QuietJournal quiet(platform);
  const ApplicationCommand command = BuildApplicationCommand(entry.app_section, context, platform);
  entry.command_line = command.command_line;
  if (entry.launched) return;
  if (platform.ini().FindSection(entry.app_section) == nullptr) {
    entry.skip = SkipReason::kNoSection;
  } else if (command.app_path.empty()) {
    entry.skip = SkipReason::kNoAppPath;
  } else if (!command.command_line.empty()) {
    entry.skip = SkipReason::kInstalledAlready;
  } else {
    entry.skip = SkipReason::kNoLanguageFolder;
  }
}

}  // namespace

WString ProfileValueOf(WString raw, SystemInfo& system) {
  GivenValue given(std::move(raw));
  return ReadProfileValue(WString(), WString(), WString(), given, system);
}

namespace {

// An application's own key of its wait and its limit, as read.
void AddLimitKey(const IniChars& name, const WString& value, PlanEntry* entry) {
  if (EqualIgnoringCase(name, KeyName(Key::kMaxInstallTime))) entry->own_max_install_time = value;
  if (EqualIgnoringCase(name, KeyName(Key::kWaitForChildren))) entry->own_wait_for_children = value;
  if (EqualIgnoringCase(name, KeyName(Key::kStopAtTimeLimit)))
    entry->own_stop_at_time_limit = value;
}

// The wait the core gives the entry, from its own keys over [Settings].
void SetLimits(PlanEntry& entry, const RunContext& context, PlanPlatform& platform) {
  // The trace holds only the keys the core read.
  entry.limits = CombineLaunchLimits(
      {entry.own_max_install_time, entry.own_wait_for_children, entry.own_stop_at_time_limit},
      context, platform);
  entry.limits_shown =
      entry.launched &&
      (context.WaitForChildren || context.StopAtTimeLimit || !entry.own_max_install_time.empty() ||
       !entry.own_wait_for_children.empty() || !entry.own_stop_at_time_limit.empty());
}

}  // namespace

std::vector<PlanEntry> TracePass(int pass, const Journal& journal, const RunContext& context,
                                 PlanPlatform& platform) {
  const WString common = CommonListSection(pass, context);
  const WString machine = MachineListSection(pass, context);
  // The reader finds a section by its name in any case: so does the trace.
  const IniSection* common_section = platform.ini().FindSection(common);
  const IniSection* machine_section = platform.ini().FindSection(machine);
  std::vector<PlanEntry> entries;
  entries.reserve(64);
  WString scratch;
  const IniSection* app_section = nullptr;
  bool in_entry = false;

  for (const Event& event : journal) {
    switch (event.kind) {
      case EventKind::kProfileRead: {
        if (event.section == nullptr) break;
        const bool list = event.section == common_section || event.section == machine_section;
        if (list && IsAppKey(platform.ini().Name(*event.key))) {
          const WString& value = ValueRead(event, platform, &scratch);
          in_entry = !value.empty();
          if (!in_entry) break;
          PlanEntry entry;
          entry.pass = pass;
          entry.list_section = event.section == common_section ? common : machine;
          entry.app_key = platform.ini().Name(*event.key).str();
          entry.app_section = value;
          entries.push_back(std::move(entry));
          app_section = platform.ini().FindSection(value);
        } else if (in_entry && event.section == app_section) {
          const IniChars name = platform.ini().Name(*event.key);
          if (EqualIgnoringCase(name, KeyName(Key::kAppPath))) {
            entries.back().app_path = ValueRead(event, platform, &scratch);
          }
          if (EqualIgnoringCase(name, KeyName(Key::kAppSwitches))) {
            entries.back().app_switches = ValueRead(event, platform, &scratch);
          }
          if (EqualIgnoringCase(name, KeyName(Key::kSuccessCodes))) {
            entries.back().success_codes = ValueRead(event, platform, &scratch);
          }
          AddLimitKey(name, ValueRead(event, platform, &scratch), &entries.back());
          AddDetectRule(name, ValueRead(event, platform, &scratch), &entries.back());
        }
        break;
      }
      case EventKind::kFileQuestion:
        if (in_entry) entries.back().questions.push_back({event.first, event.answer});
        break;
      case EventKind::kLaunch:
        if (in_entry) {
          entries.back().launched = true;
          entries.back().handed = event.first;
        }
        break;
      case EventKind::kFileRead:
      case EventKind::kCopy:
        break;
    }
  }
  for (PlanEntry& entry : entries) {
    Complete(entry, context, platform);
    CheckHashes(entry, context, platform);
    if (entry.launched && !entry.detect_rules.empty()) {
      QuietJournal quiet(platform);
      entry.detect_assumed = DetectAssumptions(entry.detect_rules, platform);
    }
    entry.exit_codes_judged = entry.launched && context.LogExitCodes == 1;
    SetLimits(entry, context, platform);
  }
  return entries;
}

}  // namespace quill::plan
