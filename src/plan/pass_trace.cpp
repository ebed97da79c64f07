#include "plan/pass_trace.h"

#include "run/profile_value.h"
#include "runner/application_command.h"
#include "runner/install_pass.h"

namespace quill::plan {

namespace {

// Hands the core's value reading one value that was read before.
class GivenValue : public ProfileReader {
 public:
  explicit GivenValue(const WString& value) : value_(value) {}
  WString ReadPrivateProfileString(const WString&, const WString&, const WString&, size_t,
                                   const WString&) override {
    return value_;
  }

 private:
  const WString& value_;
};

bool IsAppKey(const WString& key) {
  if (key.size() < 4 || key.compare(0, 3, u"APP") != 0) return false;
  for (size_t i = 3; i < key.size(); ++i) {
    if (key[i] < u'0' || key[i] > u'9') return false;
  }
  return true;
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

void Complete(PlanEntry& entry, const WString& app_path, const RunContext& context,
              PlanPlatform& platform) {
  // Only a program under a path with blanks is handed over other than built.
  if (entry.launched && !HasBlank(app_path)) {
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
  } else {
    entry.skip = SkipReason::kNoLanguageFolder;
  }
}

}  // namespace

WString ProfileValueOf(const WString& raw, SystemInfo& system) {
  GivenValue given(raw);
  return ReadProfileValue(WString(), WString(), WString(), given, system);
}

std::vector<PlanEntry> TracePass(int pass, const Journal& journal, const RunContext& context,
                                 PlanPlatform& platform) {
  const WString common = CommonListSection(pass, context);
  const WString machine = MachineListSection(pass, context);
  std::vector<PlanEntry> entries;
  std::vector<WString> app_paths;
  bool in_entry = false;

  for (const Event& event : journal) {
    switch (event.kind) {
      case EventKind::kProfileRead:
        if ((event.first == common || event.first == machine) && IsAppKey(event.second)) {
          const WString app_section = ProfileValueOf(event.value, platform);
          in_entry = !app_section.empty();
          if (!in_entry) break;
          PlanEntry entry;
          entry.pass = pass;
          entry.list_section = event.first;
          entry.app_key = event.second;
          entry.app_section = app_section;
          entries.push_back(std::move(entry));
          app_paths.emplace_back();
        } else if (in_entry && event.second == u"AppPath" &&
                   event.first == entries.back().app_section) {
          app_paths.back() = ProfileValueOf(event.value, platform);
        }
        break;
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
  for (size_t i = 0; i < entries.size(); ++i) Complete(entries[i], app_paths[i], context, platform);
  return entries;
}

}  // namespace quill::plan
