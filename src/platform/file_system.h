#ifndef QUILL_PLATFORM_FILE_SYSTEM_H_
#define QUILL_PLATFORM_FILE_SYSTEM_H_

// Why: every question and change the program puts to the file system goes
// through here, so the tests can hold a whole machine's files in memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/wide_string.h"

namespace quill {

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr uint32_t kFileAttributeReadOnly = 0x01u;
constexpr uint32_t kFileAttributeDirectory = 0x10u;
constexpr uint32_t kFileAttributeNormal = 0x80u;

// A file opened for appending and shared with other processes.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Writes `bytes` at the end the file has at this moment.
  virtual bool Append(const std::string& bytes) = 0;
  // Puts what was appended on the disk (FlushFileBuffers), so that a power
  // cut or a killed process cannot take it back.
  virtual bool Flush() = 0;
  virtual bool Close() = 0;
};

// What tells one version of a file from another without reading it.
struct FileStamp {
  uint64_t size = 0;
  uint64_t write_time = 0;  // the platform's own count; compared, never shown
  bool operator==(const FileStamp& other) const {
    return size == other.size && write_time == other.write_time;
  }
};

// Where a file lies, for a command that runs it as an administrator at the
// next start of Windows, before anyone has logged on or mapped a drive.
struct FilePlace {
  WString universal;             // a mapped drive's path as \\server\share\...
  bool on_share = false;         // on a network share, mapped or not
  bool users_may_write = false;  // the file or its folder, by users not administrators
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // kInvalidFileAttributes when nothing exists at `path`.
  virtual uint32_t GetAttributes(const WString& path) = 0;
  virtual bool SetAttributes(const WString& path, uint32_t attributes) = 0;
  // Creates one directory; its parent must exist.
  virtual bool MakeDirectory(const WString& path) = 0;
  virtual bool Copy(const WString& from, const WString& to, bool fail_if_exists) = 0;
  // The current directory as read into a buffer of `buffer_chars`; empty on failure.
  virtual WString CurrentDirectory(size_t buffer_chars) = 0;

  // Opens (creating when missing) for reading and appending, shared for
  // reading and writing, with a single 0x1A at the very end cut off first.
  // Null on failure.
  virtual std::unique_ptr<AppendFile> OpenForAppend(const WString& path) = 0;
  // The file's bytes, untranslated, up to its end or to a read that fails;
  // false only when it cannot be opened.
  virtual bool ReadFileBytes(const WString& path, std::string* bytes) = 0;
  // Size and last write time; false when nothing is there.
  virtual bool ReadFileStamp(const WString& path, FileStamp* stamp) = 0;
  // The path made whole (drive, folders, no "." or ".."); empty on failure.
  virtual WString FullPath(const WString& path) = 0;
  // For a whole path; false when a mapped drive's share cannot be told.
  virtual bool LocateFile(const WString& path, FilePlace* place) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_FILE_SYSTEM_H_
