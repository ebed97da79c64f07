#ifndef QUILL_RUNNER_DETECTION_H_
#define QUILL_RUNNER_DETECTION_H_

// Whether an application is installed already: its rules, and asking them
// before its installer would start and after it ends.
#include <cstdint>
#include <vector>

#include "base/run_context.h"
#include "platform/installed_state.h"
#include "platform/machine_registry.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/exit_codes.h"
#include "runner/install_pass.h"

namespace quill {

// An application's detection rules: DetectMsi, DetectFile and DetectKey say
// how to tell that it is installed already. Every rule of a section must
// hold; a DetectMsi list holds when any of its codes does. A value that
// does not read is told and left out: no installer is ever skipped by a
// rule nobody can read.
enum class DetectKind { kMsi, kFile, kKey };

// A version resource's numbers are 16 bits each.
constexpr uint32_t kLargestVersionPart = 0xFFFF;

struct DetectRule {
  DetectKind kind = DetectKind::kMsi;
  WString written;                     // "DetectFile=..." as the INI file has it
  std::vector<WString> product_codes;  // DetectMsi: "{...}", upper case
  WString path;                        // DetectFile: as written; DetectKey: below HKLM
  bool has_version = false;            // DetectFile with ">= version"
  FileVersion least;
  // DetectKey: the registry views asked; HKLM64\ or HKLM32\ asks one.
  bool view_64 = true;
  bool view_32 = true;
};

struct DetectRules {
  std::vector<DetectRule> rules;  // in the order DetectMsi, DetectFile, DetectKey
  std::vector<WString> unread;    // "DetectKey=..." of each value that did not read
};

const char16_t* DetectKeyName(DetectKind kind);

// The value's syntax: product codes "{8-4-4-4-12 hex}" separated by commas;
// a full path ("C:\...", "\\server\share\...", or starting with a %NAME%),
// then optionally ">=" and one to four numbers up to 65535; "HKLM\..." or
// "HKEY_LOCAL_MACHINE\..." (either view), "HKLM64\..." or "HKLM32\..."
// (that view only). False, and `rule` unfinished, when it does not
// read.
bool ParseDetectRule(DetectKind kind, const WString& value, DetectRule* rule);

// The same for a rule as DetectRule::written has it, "DetectFile=...".
bool ParseWrittenRule(const WString& written, DetectRule* rule);

// A path the check can look at: a drive and a backslash, or a UNC share.
bool IsFullPath(const WString& path);

// A DetectFile's path as its check looks at it: the machine's program
// folders, then the environment's variables, put in. False when a folder it
// names cannot be read: the rule does not hold.
bool ExpandRulePath(const DetectRule& rule, InstalledState& state, MachineRegistry& registry,
                    WString* path);

// The application's rules; reads the three keys.
DetectRules ReadDetectRules(const WString& app_section, const RunContext& context,
                            Platform& platform);

// Whether an application is installed already, by its detection rules:
// asked before its installer would start (installed: not started) and
// again after a success (still not installed: it installed nothing, a
// failure). An application without rules is neither asked nor told.
// Whether the rule holds on this machine; `held` names what held
// ("DetectMsi={...}" for the one code of a list).
bool DetectRuleHolds(const DetectRule& rule, InstalledState& state, MachineRegistry& registry,
                     WString* held);

// Tells the rules that did not read; then true, with its record, when the
// application has rules and every one holds: it is not started.
bool InstalledAlready(const DetectRules& detect, const WString& app_section, RunContext& context,
                      Platform& platform);

// After the last try: an installer that ended with a success and left a
// rule unheld installed nothing. After a reboot verdict the record says
// that the check waits for the restart instead.
void CheckInstalledAfter(const DetectRules& detect, const AppExitRules& exit_rules,
                         const LaunchResult& result, RunContext& context, Platform& platform);

// After a resume: the application the run stopped after is asked once more,
// now that the restart has come. One record says what held, or which rule
// still does not: then that application installed nothing, a failure.
void CheckInstalledAfterRestart(const WString& app_section, RunContext& context,
                                Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_DETECTION_H_
