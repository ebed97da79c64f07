#ifndef QUILL_PLAN_VERB_INPUTS_H_
#define QUILL_PLAN_VERB_INPUTS_H_

// Turning a verb's options into what it works on; each reports its own
// failure on `err` and gives false.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "plan/ini_file.h"
#include "plan/machine_files.h"
#include "plan/verbs.h"

namespace quill::plan {

bool LoadIni(const std::string& path, IniFile* ini, std::ostream& err);

// The mappings and the assumption; the language table is bound by the plan,
// once it knows where the run looks for it.
bool MakeMachineFiles(const MachineFileOptions& options, std::unique_ptr<MachineFiles>* files,
                      std::ostream& err);

// "0x407" or "1031".
bool ParseLcid(const std::string& text, uint32_t* lcid);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERB_INPUTS_H_
