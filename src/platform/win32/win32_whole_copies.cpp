#include "platform/win32/win32_api.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

// What the worker and the waiting caller share; whichever lets go last
// frees it, so a worker past its time still has its own.
struct CopyJob {
  std::wstring from;
  std::wstring temporary;
  std::wstring to;
  CopyOutcome outcome;
};

CopyOutcome Failed(DWORD error) {
  CopyOutcome outcome;
  outcome.system_error = error;
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE: outcome.failure = CopyFailure::kFolderMissing; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: outcome.failure = CopyFailure::kAccessDenied; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: outcome.failure = CopyFailure::kInUse; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: outcome.failure = CopyFailure::kDiskFull; break;
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_SEM_TIMEOUT:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_NETWORK_BUSY: outcome.failure = CopyFailure::kNetwork; break;
    case ERROR_FILENAME_EXCED_RANGE: outcome.failure = CopyFailure::kPathTooLong; break;
    default: outcome.failure = CopyFailure::kOther; break;
  }
  return outcome;
}

// The bytes through a buffer of its own size, whatever the log's.
bool CopyBytes(HANDLE in, HANDLE out, DWORD* error, bool* read_failed) {
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      *read_failed = true;
      return false;
    }
    if (got == 0) return true;
    DWORD put = 0;
    if (!WriteFile(out, buffer.data(), got, &put, nullptr) || put != got) {
      *error = GetLastError();
      return false;
    }
  }
}

CopyOutcome CopyNow(const CopyJob& job) {
  HANDLE in = CreateFileW(job.from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    CopyOutcome outcome = Failed(GetLastError());
    outcome.failure = CopyFailure::kSourceUnreadable;
    return outcome;
  }
  // Nobody else may open the temporary while it is written.
  HANDLE out = CreateFileW(job.temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(in);
    return Failed(error);
  }
  DWORD error = 0;
  bool read_failed = false;
  bool written = CopyBytes(in, out, &error, &read_failed);
  CloseHandle(in);
  if (written && !FlushFileBuffers(out)) {
    error = GetLastError();
    written = false;
  }
  if (!CloseHandle(out) && written) {
    error = GetLastError();
    written = false;
  }
  if (written && MoveFileExW(job.temporary.c_str(), job.to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return CopyOutcome();
  }
  if (written) error = GetLastError();
  DeleteFileW(job.temporary.c_str());
  if (!read_failed) return Failed(error);
  CopyOutcome outcome;
  outcome.failure = CopyFailure::kSourceUnreadable;
  return outcome;
}

DWORD WINAPI CopyWorker(void* parameter) {
  std::unique_ptr<std::shared_ptr<CopyJob>> job(static_cast<std::shared_ptr<CopyJob>*>(parameter));
  (*job)->outcome = CopyNow(**job);
  return 0;
}

// Vista and later can end a file call that a share holds; XP cannot, and
// the worker is left to end by itself or with the process.
void CancelStuckCall(HANDLE thread) {
  using CancelSynchronousIoFunction = BOOL(WINAPI*)(HANDLE);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return;
  auto cancel = reinterpret_cast<CancelSynchronousIoFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "CancelSynchronousIo")));
  if (cancel != nullptr) cancel(thread);
}

}  // namespace

CopyOutcome Win32Platform::CopyWhole(const WString& from, const WString& temporary,
                                     const WString& to, uint32_t time_limit_ms) {
  auto job = std::make_shared<CopyJob>();
  job->from = WideText(from);
  job->temporary = WideText(temporary);
  job->to = WideText(to);
  auto* handed = new std::shared_ptr<CopyJob>(job);
  HANDLE thread = CreateThread(nullptr, 0, CopyWorker, handed, 0, nullptr);
  if (thread == nullptr) {  // without a worker the bound cannot hold: no copy
    const DWORD error = GetLastError();
    delete handed;
    return Failed(error);
  }
  const DWORD waited = WaitForSingleObject(thread, time_limit_ms);
  if (waited != WAIT_OBJECT_0) {
    CancelStuckCall(thread);
    CloseHandle(thread);
    CopyOutcome outcome;
    outcome.failure = CopyFailure::kTimedOut;
    return outcome;
  }
  CloseHandle(thread);
  return job->outcome;
}

}  // namespace quill
