#ifndef QUILL_PLAN_CHANGE_SAME_READS_H_
#define QUILL_PLAN_CHANGE_SAME_READS_H_

// The machines an edit leaves alone. A run reads [Settings], the common and
// the machine's lists for its system, and the sections those lists name;
// where all of them read the same in both INI files and the files answer
// the same, equal inputs give equal plans, and a diff need not make them.
#include <vector>

#include "plan/windows/ini_file.h"
#include "platform/wide_string.h"

namespace quill::plan {

// Of `machines` (SystemIDs), those some section of which a run may read is
// not the same in both files, in their order: all of them where [Settings]
// or the common lists differ. The sections named by any value of their
// lists count, reached or not.
std::vector<WString> MachinesReadingOtherwise(const IniFile& before, const IniFile& after,
                                              const std::vector<WString>& machines);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_SAME_READS_H_
