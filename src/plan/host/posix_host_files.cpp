#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "plan/host/file_identity.h"
#include "plan/host/input_file.h"
#include "plan/host/put_in_place.h"

namespace quill::plan {

namespace {

std::string KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return "a file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISLNK(mode)) return "a link";
  return "neither a file nor a folder";
}

}  // namespace

bool IdentityOf(const std::string& path, FileIdentity* identity) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  *identity = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino), ""};
  return true;
}

std::string KindOf(const std::string& path, bool follow_link) {
  struct stat status;
  if ((follow_link ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) != 0) {
    return "not there";
  }
  return KindOfMode(status.st_mode);
}

InputFile::~InputFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool InputFile::Open(const std::string& path, std::string* why_not) {
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
    *why_not = NotAFile(KindOfMode(status.st_mode));
    return false;
  }
  return true;
}

bool InputFile::Read(char* into, size_t size, size_t* got) {
  ssize_t read = -1;
  do { read = ::read(descriptor_, into, size); } while (read < 0 && errno == EINTR);
  *got = read > 0 ? static_cast<size_t>(read) : 0;
  return read >= 0;
}

int ProcessId() { return static_cast<int>(::getpid()); }

bool PutInPlace(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace quill::plan
