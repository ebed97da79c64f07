#ifndef QUILL_PLAN_DIFF_SAME_READS_H_
#define QUILL_PLAN_DIFF_SAME_READS_H_

// The machines an edit leaves alone. A run reads [Settings], the common and
// the machine's lists for its system, and the sections those lists name;
// where all of them read the same in both INI files and the files answer
// the same, equal inputs give equal plans, and a diff need not make them.
#include <vector>

#include "plan/windows/ini_file.h"
#include "platform/wide_string.h"

namespace quill::plan {

// Of `machines` (SystemIDs), those whose every section a run may read is
// the same in both files; the sections named by any value of their lists
// count, reached or not.
std::vector<WString> MachinesReadingTheSame(const IniFile& before, const IniFile& after,
                                            const std::vector<WString>& machines);

}  // namespace quill::plan

#endif  // QUILL_PLAN_DIFF_SAME_READS_H_
