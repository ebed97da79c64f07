#ifndef QUILL_PLAN_HOST_PUT_IN_PLACE_H_
#define QUILL_PLAN_HOST_PUT_IN_PLACE_H_

// An output is written beside its target under a name of its own, then put
// in the target's place in one step: a reader sees the old file or the new,
// and two quillplans writing one folder never share a part.
#include <filesystem>
#include <string>

namespace quill::plan {

// This process's number.
int ProcessId();
// "<target>.quillplan-<process>-<random>.part"
std::string PartName(const std::filesystem::path& target);
// Whether a file name is one of those: a report passes over them.
bool IsPartFileName(const std::string& name);
// `from` put in place of `to` in one step.
bool PutInPlace(const std::string& from, const std::string& to);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_PUT_IN_PLACE_H_
