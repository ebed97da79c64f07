#include <algorithm>

#include "fake_platform.h"

namespace quill {

bool FakePlatform::CreateProcessJob(JobHandle* job) {
  Record("CreateProcessJob");
  if (Fails("CreateProcessJob")) return false;
  *job = next_handle_++;
  jobs_[*job];
  return true;
}

bool FakePlatform::AssignToJob(JobHandle job, ProcessHandle process) {
  Record("AssignToJob");
  if (Fails("AssignToJob") || jobs_.count(job) == 0 || open_handles_.count(process) == 0) {
    return false;
  }
  jobs_[job].insert(process);
  return true;
}

int64_t FakePlatform::TreeEnd(const std::set<ProcessHandle>& members) const {
  int64_t end = 0;
  for (ProcessHandle member : members) end = std::max(end, processes_.at(member).tree_end_ms);
  return end;
}

// As the port tells it: the clock moves on to the last end, or by all of it.
ProcessWait FakePlatform::WaitForJobEnd(JobHandle job, uint32_t milliseconds) {
  Record("WaitForJobEnd " + std::to_string(milliseconds));
  if (Fails("WaitForJobEnd") || jobs_.count(job) == 0) return ProcessWait::kFailed;
  const int64_t end = TreeEnd(jobs_[job]);
  if (end - now_ms > milliseconds) {
    now_ms += milliseconds;
    return ProcessWait::kStillRunning;
  }
  now_ms = std::max(now_ms, end);
  return ProcessWait::kEnded;
}

bool FakePlatform::CountJobProcesses(JobHandle job, uint32_t* count) {
  Record("CountJobProcesses");
  if (Fails("CountJobProcesses") || jobs_.count(job) == 0) return false;
  *count = 0;
  for (ProcessHandle member : jobs_[job]) {
    const Process& p = processes_[member];
    if (now_ms < p.root_end_ms) ++*count;
    if (now_ms < p.tree_end_ms) *count += p.program.tree_processes - 1;
  }
  return true;
}

bool FakePlatform::TerminateJob(JobHandle job, uint32_t exit_code) {
  Record("TerminateJob " + std::to_string(exit_code));
  if (Fails("TerminateJob") || jobs_.count(job) == 0) return false;
  for (ProcessHandle member : jobs_[job]) {
    Process& p = processes_[member];
    if (p.program.refuses_end) continue;
    if (now_ms < p.root_end_ms) {
      p.root_end_ms = now_ms;
      p.program.exit_code = exit_code;
    }
    p.tree_end_ms = std::min(p.tree_end_ms, now_ms);
  }
  return true;
}

void FakePlatform::CloseJob(JobHandle job) {
  Record("CloseJob");
  jobs_.erase(job);
}

bool FakePlatform::IsInstallerServiceBusy() {
  Record("IsInstallerServiceBusy");
  return now_ms < installer_busy_until_ms;
}

int FakePlatform::running_processes() const {
  int running = 0;
  for (const auto& entry : processes_) {
    const Process& p = entry.second;
    if (now_ms < p.root_end_ms) ++running;
    if (now_ms < p.tree_end_ms) running += static_cast<int>(p.program.tree_processes) - 1;
  }
  return running;
}

}  // namespace quill
