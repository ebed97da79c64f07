#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "plan/host/file_identity.h"
#include "plan/host/host_path.h"
#include "plan/host/input_file.h"
#include "plan/host/put_in_place.h"

namespace quill::plan {

bool IdentityOf(const std::string& path, FileIdentity* identity) {
  // The volume and the file index: the same file by any name, hard links too.
  const HANDLE handle = CreateFileW(HostPath(path).wstring().c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  if (!known) return false;
  *identity = {
      information.dwVolumeSerialNumber,
      (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow, ""};
  return true;
}

std::string KindOf(const std::string& path, bool follow_link) {
  std::error_code error;
  const auto local = HostPath(path);
  const auto status = follow_link ? std::filesystem::status(local, error)
                                  : std::filesystem::symlink_status(local, error);
  if (error) return "not there";
  if (std::filesystem::is_symlink(status)) return "a link";
  if (std::filesystem::is_regular_file(status)) return "a file";
  if (std::filesystem::is_directory(status)) return "a folder";
  return "neither a file nor a folder";
}

InputFile::~InputFile() {
  if (file_ != nullptr) std::fclose(static_cast<std::FILE*>(file_));
}

bool InputFile::Open(const std::string& path, std::string* why_not) {
  // Only a file is opened: what else a path may be, the open does not say.
  const std::string kind = KindOf(path, true);
  if (kind != "a file" && kind != "not there") {
    *why_not = NotAFile(kind);
    return false;
  }
  file_ = _wfopen(HostPath(path).wstring().c_str(), L"rb");
  if (file_ == nullptr) {
    *why_not = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool InputFile::Read(char* into, size_t size, size_t* got) {
  auto* file = static_cast<std::FILE*>(file_);
  *got = std::fread(into, 1, size, file);
  return !(*got == 0 && std::ferror(file));
}

int ProcessId() { return _getpid(); }

bool PutInPlace(const std::string& from, const std::string& to) {
  // rename() on Windows refuses a target that exists.
  return MoveFileExW(HostPath(from).wstring().c_str(), HostPath(to).wstring().c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace quill::plan
