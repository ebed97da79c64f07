#include <windows.h>

#include <string>

#include "plan/host/scratch_file.h"

namespace quill::plan {

namespace {

class Win32ScratchFile : public ScratchFile {
 public:
  explicit Win32ScratchFile(HANDLE handle) : handle_(handle) {}
  ~Win32ScratchFile() override { CloseHandle(handle_); }

  bool Write(uint64_t offset, const char* bytes, size_t size) override {
    while (size > 0) {
      const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
      OVERLAPPED at = At(offset);
      DWORD wrote = 0;
      if (!WriteFile(handle_, bytes, chunk, &wrote, &at) || wrote == 0) return false;
      bytes += wrote;
      size -= wrote;
      offset += wrote;
    }
    return true;
  }

  bool Read(uint64_t offset, char* into, size_t size, size_t* got) override {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    OVERLAPPED at = At(offset);
    DWORD read = 0;
    const bool done =
        ReadFile(handle_, into, chunk, &read, &at) || GetLastError() == ERROR_HANDLE_EOF;
    *got = done ? read : 0;
    return done;
  }

 private:
  static OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
  }

  HANDLE handle_;
};

}  // namespace

std::unique_ptr<ScratchFile> MakeScratchFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t path[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"qpl", 0, path) == 0) {
    return nullptr;
  }
  // Deleted when the handle closes, the process's end included.
  const HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DeleteFileW(path);
    return nullptr;
  }
  return std::make_unique<Win32ScratchFile>(handle);
}

}  // namespace quill::plan
