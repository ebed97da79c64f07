#ifndef QUILL_PLAN_VERBS_VERB_INPUTS_H_
#define QUILL_PLAN_VERBS_VERB_INPUTS_H_

// Turning a verb's options into what it works on; each reports its own
// failure on `err` and gives the verb's exit status for it.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "plan/change/fleet_facts.h"
#include "plan/report/fleet_stream.h"

#include "plan/planning/plan_platform.h"
#include "plan/verbs/verbs.h"
#include "plan/windows/ini_file.h"
#include "plan/windows/machine_files.h"

namespace quill::plan {

// The INI file, the planned machine's files and the platform over both:
// what plan, matrix and lint work on. The language table is bound by the
// plan, once it knows where the run looks for it.
class VerbMachine {
 public:
  // kAllGood, or why not: kTrouble for a file that cannot be read, kUsage
  // for an option that does not parse.
  int Load(const char* verb, const std::string& ini_path, const MachineFileOptions& options,
           std::ostream& err);
  PlanPlatform& platform() { return *platform_; }

 private:
  IniFile ini_;
  std::unique_ptr<MachineFiles> files_;
  std::unique_ptr<PlanPlatform> platform_;
};

// The files a fleet's reading skipped and the lines it passed over, one a line.
void TellProblems(const char* verb, const std::vector<FileProblem>& problems, std::ostream& err);

// The PCs of the logs and folders, read as report reads them: kAllGood, or
// kTrouble when a file that may be a log could not be read, or no log was
// read at all; a file that is no run log is only named.
int LoadFleet(const char* verb, const std::vector<std::string>& paths,
              const std::vector<std::string>& not_inputs, FleetFacts* fleet, std::ostream& err);

// "0x407" or "1031".
bool ParseLcid(const std::string& text, uint32_t* lcid);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_VERB_INPUTS_H_
