#include "plan/logs/log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "plan/host/host_path.h"

namespace quill::plan {

namespace {

constexpr char kBanner[] = "QUILLRUN starts at: ";

#ifndef _WIN32
std::string KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return "a file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISLNK(mode)) return "a link";
  return "neither a file nor a folder";
}
#endif

}  // namespace

bool FileIdentity::operator<(const FileIdentity& other) const {
  return std::tie(device, inode, path) < std::tie(other.device, other.inode, other.path);
}

std::string Utf8Path(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool IdentityOf(const std::string& path, FileIdentity* identity) {
#ifdef _WIN32
  // The volume and the file index: the same file by any name, hard links too.
  const HANDLE handle = CreateFileW(HostPath(path).wstring().c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  if (!known) return false;
  *identity = {information.dwVolumeSerialNumber,
               (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
               ""};
  return true;
#else
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  *identity = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino), ""};
  return true;
#endif
}

std::string KindOf(const std::string& path, bool follow_link) {
#ifdef _WIN32
  std::error_code error;
  const auto local = HostPath(path);
  const auto status = follow_link ? std::filesystem::status(local, error)
                                  : std::filesystem::symlink_status(local, error);
  if (error) return "not there";
  if (std::filesystem::is_symlink(status)) return "a link";
  if (std::filesystem::is_regular_file(status)) return "a file";
  if (std::filesystem::is_directory(status)) return "a folder";
  return "neither a file nor a folder";
#else
  struct stat status;
  if ((follow_link ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) != 0) {
    return "not there";
  }
  return KindOfMode(status.st_mode);
#endif
}

LogFile::~LogFile() {
#ifdef _WIN32
  if (file_ != nullptr) std::fclose(static_cast<std::FILE*>(file_));
#else
  if (descriptor_ >= 0) ::close(descriptor_);
#endif
}

bool LogFile::Open(const std::string& path, std::string* why_not) {
#ifdef _WIN32
  std::error_code error;
  if (!std::filesystem::is_regular_file(HostPath(path), error)) {
    *why_not = "not a file: " + KindOf(path, true);
    return false;
  }
  file_ = _wfopen(HostPath(path).wstring().c_str(), L"rb");
  if (file_ == nullptr) {
    *why_not = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  return true;
#else
  // Without O_NONBLOCK, the open of a named pipe waits for a writer.
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor_ < 0) {
    *why_not = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  struct stat status;
  if (::fstat(descriptor_, &status) != 0) {
    *why_not = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    *why_not = "not read: " + KindOfMode(status.st_mode) + ", not a file";
    return false;
  }
  return true;
#endif
}

bool LogFile::ReadFile(char* into, size_t size, size_t* got) {
#ifdef _WIN32
  auto* file = static_cast<std::FILE*>(file_);
  *got = std::fread(into, 1, size, file);
  if (*got == 0 && std::ferror(file)) read_failed_ = true;
#else
  ssize_t read = -1;
  do {
    read = ::read(descriptor_, into, size);
  } while (read < 0 && errno == EINTR);
  *got = read > 0 ? static_cast<size_t>(read) : 0;
  if (read < 0) read_failed_ = true;
#endif
  return !read_failed_;
}

const std::string& LogFile::Opening() {
  if (looked_ahead_) return opening_;
  looked_ahead_ = true;
  char chunk[4096];
  size_t text = 0;
  size_t end = 0;  // of the opening in ahead_
  while (text < kOpening && ahead_.size() < kMostAhead) {
    size_t got = 0;
    if (!ReadFile(chunk, std::min(sizeof chunk, kMostAhead - ahead_.size()), &got) || got == 0) {
      break;
    }
    ahead_.append(chunk, got);
    // Text up to the next NUL at once: most files hold none.
    while (end < ahead_.size() && text < kOpening) {
      const size_t span = std::min(kOpening - text, ahead_.size() - end);
      const void* nul = std::memchr(ahead_.data() + end, '\0', span);
      const size_t plain = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - (ahead_.data() + end)) : span;
      text += plain;
      end += plain;
      while (text < kOpening && end < ahead_.size() && ahead_[end] == '\0') ++end;
    }
  }
  opening_ = ahead_.substr(0, end);
  return opening_;
}

bool LogFile::Read(char* into, size_t size, size_t* got) {
  if (ahead_given_ < ahead_.size()) {
    *got = std::min(size, ahead_.size() - ahead_given_);
    std::memcpy(into, ahead_.data() + ahead_given_, *got);
    ahead_given_ += *got;
    if (ahead_given_ == ahead_.size()) {
      ahead_.clear();
      ahead_.shrink_to_fit();
      opening_.clear();
      opening_.shrink_to_fit();
      ahead_given_ = 0;
    }
    return true;
  }
  return ReadFile(into, size, got);
}

std::string WhyNotALog(const std::string& opening) {
  if (opening.find_first_not_of('\0') == std::string::npos) {
    return opening.empty() ? "not a run log: the file is empty"
                           : "not a run log: it holds only NUL bytes";
  }
  if (opening.find(kBanner) != std::string::npos) return "";
  const bool marked = opening.rfind("\xFF\xFE", 0) == 0 || opening.rfind("\xFE\xFF", 0) == 0;
  size_t odd_nuls = 0;
  size_t even_nuls = 0;
  for (size_t i = 0; i < opening.size(); ++i) (i % 2 ? odd_nuls : even_nuls) += opening[i] == '\0';
  if (marked || odd_nuls * 2 > opening.size() / 2 || even_nuls * 2 > opening.size() / 2) {
    return "not a run log: it is UTF-16 text, and a run log holds one byte a character";
  }
  return "not a run log: no banner \"QUILLRUN starts at:\" in its first 4 KiB";
}

}  // namespace quill::plan
