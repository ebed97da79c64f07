#ifndef QUILL_PLATFORM_WIN32_WIN32_APPEND_FILE_H_
#define QUILL_PLATFORM_WIN32_WIN32_APPEND_FILE_H_

// The run log's file: shared with other processes, every write landing at
// the end the file has at that moment, so their records are never overwritten.
#include "platform/win32/win32_api.h"

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace quill {

class Win32AppendFile : public AppendFile {
 public:
  // Null when the file can neither be opened nor created.
  static std::unique_ptr<AppendFile> Open(const wchar_t* path);

  ~Win32AppendFile() override;
  Win32AppendFile(const Win32AppendFile&) = delete;
  Win32AppendFile& operator=(const Win32AppendFile&) = delete;

  bool Append(const std::string& bytes) override;
  bool Flush() override;
  bool Close() override;

 private:
  explicit Win32AppendFile(HANDLE file) : file_(file) {}

  HANDLE file_;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_APPEND_FILE_H_
