#include "platform/win32/win32_api.h"

#include <vector>

#include "platform/win32/win32_append_file.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

uint32_t Win32Platform::GetAttributes(const WString& path) {
  return GetFileAttributesW(WideText(path));
}

bool Win32Platform::SetAttributes(const WString& path, uint32_t attributes) {
  return SetFileAttributesW(WideText(path), attributes) != 0;
}

bool Win32Platform::MakeDirectory(const WString& path) {
  return CreateDirectoryW(WideText(path), nullptr) != 0;
}

bool Win32Platform::Copy(const WString& from, const WString& to, bool fail_if_exists) {
  return CopyFileW(WideText(from), WideText(to), fail_if_exists ? TRUE : FALSE) != 0;
}

WString Win32Platform::CurrentDirectory(size_t buffer_chars) {
  if (buffer_chars == 0) return WString();
  std::vector<wchar_t> buffer(buffer_chars, L'\0');
  const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer_chars), buffer.data());
  // A directory too long for the buffer gives the size it would need instead.
  if (length == 0 || length >= buffer_chars) return WString();
  return FromWide(buffer.data(), length);
}

std::unique_ptr<AppendFile> Win32Platform::OpenForAppend(const WString& path) {
  return Win32AppendFile::Open(WideText(path));
}

bool Win32Platform::ReadFileBytes(const WString& path, std::string* bytes) {
  HANDLE file = CreateFileW(WideText(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Read as the runtime's stream reads, a buffer of 4096 bytes at a time. A
  // read that fails part-way (another process locks a range of the file)
  // ends the text there: the file did open, so what came before is the
  // text, and no fallback copy stands in for it.
  std::string content;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) != 0 && read > 0) {
    content.append(chunk, read);
  }
  CloseHandle(file);
  *bytes = std::move(content);
  return true;
}

bool Win32Platform::ReadFileStamp(const WString& path, FileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(WideText(path), GetFileExInfoStandard, &data)) return false;
  stamp->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp->write_time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
  return true;
}

WString Win32Platform::FullPath(const WString& path) {
  const DWORD needed = GetFullPathNameW(WideText(path), 0, nullptr, nullptr);
  if (needed == 0) return WString();
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  const DWORD length =
      GetFullPathNameW(WideText(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length == 0 || length >= buffer.size()) return WString();
  return FromWide(buffer.data(), length);
}

}  // namespace quill
