#include "platform/win32/win32_api.h"

#include <algorithm>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

Win32Platform::~Win32Platform() {
  while (!jobs_.empty()) CloseJob(jobs_.begin()->first);
  while (!processes_.empty()) CloseProcessHandles(processes_.begin()->first);
}

bool Win32Platform::StartProcess(std::vector<char16_t>* command_line,
                                 const ProcessRequest& request, ProcessHandle* process) {
  // The platform may write into the buffer up to its end: it must be ours
  // and must end with a NUL inside it.
  if (command_line == nullptr ||
      std::find(command_line->begin(), command_line->end(), u'\0') == command_line->end()) {
    return false;
  }
  const BOOL inherit = request.security_inherit_handle ? TRUE : FALSE;
  SECURITY_ATTRIBUTES process_security = {sizeof(SECURITY_ATTRIBUTES), nullptr, inherit};
  SECURITY_ATTRIBUTES thread_security = {sizeof(SECURITY_ATTRIBUTES), nullptr, inherit};
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = request.startup_flags;
  startup.dwX = static_cast<DWORD>(request.x);
  startup.dwY = static_cast<DWORD>(request.y);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(request.program.empty() ? nullptr : WideText(request.program),
                      reinterpret_cast<wchar_t*>(command_line->data()),
                      &process_security, &thread_security, request.inherit_handles ? TRUE : FALSE,
                      request.creation_flags, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  const ProcessHandle id = next_process_++;
  processes_[id] = ProcessHandles{info.hProcess, info.hThread};
  *process = id;
  return true;
}

bool Win32Platform::QueryExitCode(ProcessHandle process, uint32_t* exit_code) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(found->second.process, &code)) return false;
  *exit_code = code;
  return true;
}

bool Win32Platform::IsStillRunning(ProcessHandle process) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return false;
  return WaitForSingleObject(found->second.process, 0) == WAIT_TIMEOUT;
}

ProcessWait Win32Platform::WaitForEnd(ProcessHandle process, uint32_t milliseconds) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return ProcessWait::kFailed;
  switch (WaitForSingleObject(found->second.process, milliseconds)) {
    case WAIT_OBJECT_0: return ProcessWait::kEnded;
    case WAIT_TIMEOUT: return ProcessWait::kStillRunning;
    default: return ProcessWait::kFailed;
  }
}

bool Win32Platform::ResumeProcess(ProcessHandle process) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return false;
  return ResumeThread(found->second.thread) != static_cast<DWORD>(-1);
}

bool Win32Platform::EndProcess(ProcessHandle process, uint32_t exit_code) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return false;
  return TerminateProcess(found->second.process, exit_code) != 0;
}

void Win32Platform::CloseProcessHandles(ProcessHandle process) {
  const auto found = processes_.find(process);
  if (found == processes_.end()) return;
  CloseHandle(found->second.thread);
  CloseHandle(found->second.process);
  processes_.erase(found);
}

void Win32Platform::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace quill
