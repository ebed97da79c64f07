#include "platform/win32/win32_append_file.h"

namespace quill {

namespace {

// A text file that once ended with Ctrl-Z loses that one byte, as the C
// runtime's append mode does, so the new records are not hidden behind it.
bool CutTrailingCtrlZ(HANDLE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return false;
  if (size.QuadPart == 0) return true;
  LARGE_INTEGER last;
  last.QuadPart = size.QuadPart - 1;
  if (!SetFilePointerEx(file, last, nullptr, FILE_BEGIN)) return false;
  char byte = 0;
  DWORD read = 0;
  if (!ReadFile(file, &byte, 1, &read, nullptr) || read != 1) return false;
  if (byte != 0x1A) return true;
  return SetFilePointerEx(file, last, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

std::unique_ptr<AppendFile> Win32AppendFile::Open(const wchar_t* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (!CutTrailingCtrlZ(file)) {
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<AppendFile>(new Win32AppendFile(file));
}

Win32AppendFile::~Win32AppendFile() { Close(); }

bool Win32AppendFile::Append(const std::string& bytes) {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    // The offset "end of file" makes the system place each write at the
    // current end in one step: no other writer can slip in between a seek
    // and the write.
    OVERLAPPED at_end = {};
    at_end.Offset = 0xFFFFFFFFu;
    at_end.OffsetHigh = 0xFFFFFFFFu;
    const size_t left = bytes.size() - written;
    const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
    DWORD done = 0;
    if (!WriteFile(file_, bytes.data() + written, chunk, &done, &at_end) || done == 0) {
      return false;
    }
    written += done;
  }
  return true;
}

bool Win32AppendFile::Flush() {
  return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_) != 0;
}

bool Win32AppendFile::Close() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  const bool closed = CloseHandle(file_) != 0;
  file_ = INVALID_HANDLE_VALUE;
  return closed;
}

}  // namespace quill
