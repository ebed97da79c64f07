#ifndef QUILL_TESTS_PLAN_PLAN_FIXTURE_H_
#define QUILL_TESTS_PLAN_PLAN_FIXTURE_H_

// A planned machine for the tests: its C: drive is a temporary directory,
// its input INI file is given as text.
#include <memory>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plan/planning/plan_platform.h"
#include "plan/planning/planner.h"
#include "plan/windows/ini_file.h"
#include "plan/windows/machine_files.h"
#include "temp_tree.h"

namespace quill::plan {

struct PlanFixture {
  explicit PlanFixture(const std::string& ini_text, Assumption assumption = Assumption::kMissing)
      : ini(IniFile::FromBytes(ini_text)) {
    PathMap map;
    map.Add({u"C:", tree.Directory("c")});
    files = std::make_unique<MachineFiles>(std::move(map), assumption);
    platform = std::make_unique<PlanPlatform>(ini, u"deploy.ini", *files);
  }
  // A file on the planned machine's C: drive, "/" between names.
  void Add(const std::string& path, const std::string& bytes = "") { tree.File("c/" + path, bytes); }
  void AddFolder(const std::string& path) { tree.Directory("c/" + path); }

  Plan Run(const std::string& machine_id, WindowsKind windows, uint32_t lcid) {
    PlanRequest request;
    request.machine_id = FromUtf8(machine_id);
    request.windows = windows;
    request.language.lcid = lcid;
    return PlanRun(request, *platform);
  }

  // "pass list key section -> command" or "... skipped reason" for each entry.
  static std::vector<std::string> Lines(const Plan& plan);

  TempTree tree;
  IniFile ini;
  std::unique_ptr<MachineFiles> files;
  std::unique_ptr<PlanPlatform> platform;
};

inline std::vector<std::string> PlanFixture::Lines(const Plan& plan) {
  std::vector<std::string> lines;
  for (const PassPlan& pass : plan.passes) {
    for (const PlanEntry& entry : pass.entries) {
      std::string line = std::to_string(entry.pass) + " " + ToUtf8(entry.list_section) + " " +
                         ToUtf8(entry.app_key) + " " + ToUtf8(entry.app_section);
      if (entry.launched) {
        line += " -> " + ToUtf8(entry.command_line);
        if (entry.handed != entry.command_line) line += " (started as " + ToUtf8(entry.handed) + ")";
      } else {
        line += " skipped " + std::string(entry.skip == SkipReason::kNoSection    ? "no-section"
                                          : entry.skip == SkipReason::kNoAppPath ? "no-apppath"
                                                                                 : "no-folder");
      }
      lines.push_back(line);
    }
  }
  return lines;
}

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_PLAN_FIXTURE_H_
