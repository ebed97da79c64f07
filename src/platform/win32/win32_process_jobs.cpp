#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace quill {

bool Win32Platform::CreateProcessJob(JobHandle* job) {
  // No limits: breakaway is not allowed, and closing the job ends nothing.
  HANDLE handle = CreateJobObjectW(nullptr, nullptr);
  if (handle == nullptr) return false;
  HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
  association.CompletionKey = handle;
  association.CompletionPort = port;
  if (port == nullptr ||
      !SetInformationJobObject(handle, JobObjectAssociateCompletionPortInformation, &association,
                               sizeof association)) {
    if (port != nullptr) CloseHandle(port);
    CloseHandle(handle);
    return false;
  }
  *job = next_job_++;
  jobs_[*job] = Job{handle, port, false};
  return true;
}

bool Win32Platform::AssignToJob(JobHandle job, ProcessHandle process) {
  const auto found_job = jobs_.find(job);
  const auto found_process = processes_.find(process);
  if (found_job == jobs_.end() || found_process == processes_.end()) return false;
  return AssignProcessToJobObject(found_job->second.job, found_process->second.process) != 0;
}

bool Win32Platform::CountJobProcesses(JobHandle job, uint32_t* count) {
  const auto found = jobs_.find(job);
  if (found == jobs_.end()) return false;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!QueryInformationJobObject(found->second.job, JobObjectBasicAccountingInformation, &info,
                                 sizeof info, nullptr)) {
    return false;
  }
  *count = info.ActiveProcesses;
  return true;
}

// The port also tells of each process that starts or ends; only the last
// end matters here.
ProcessWait Win32Platform::WaitForJobEnd(JobHandle job, uint32_t milliseconds) {
  const auto found = jobs_.find(job);
  if (found == jobs_.end()) return ProcessWait::kFailed;
  Job& entry = found->second;
  uint32_t count = 1;
  if (entry.emptied || (CountJobProcesses(job, &count) && count == 0)) return ProcessWait::kEnded;
  const DWORD started = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - started;
    const DWORD left = spent >= milliseconds ? 0 : milliseconds - spent;
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED overlapped = nullptr;
    if (!GetQueuedCompletionStatus(entry.port, &message, &key, &overlapped, left)) {
      if (GetLastError() != WAIT_TIMEOUT) return ProcessWait::kFailed;
      return ProcessWait::kStillRunning;
    }
    if (key == reinterpret_cast<ULONG_PTR>(entry.job) &&
        message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
      entry.emptied = true;
      return ProcessWait::kEnded;
    }
    if (left == 0) return ProcessWait::kStillRunning;
  }
}

bool Win32Platform::TerminateJob(JobHandle job, uint32_t exit_code) {
  const auto found = jobs_.find(job);
  if (found == jobs_.end()) return false;
  return TerminateJobObject(found->second.job, exit_code) != 0;
}

void Win32Platform::CloseJob(JobHandle job) {
  const auto found = jobs_.find(job);
  if (found == jobs_.end()) return;
  CloseHandle(found->second.job);
  CloseHandle(found->second.port);
  jobs_.erase(found);
}

}  // namespace quill
