#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "plan/host/scratch_file.h"

namespace quill::plan {

namespace {

class PosixScratchFile : public ScratchFile {
 public:
  explicit PosixScratchFile(int fd) : fd_(fd) {}
  ~PosixScratchFile() override { ::close(fd_); }

  bool Write(uint64_t offset, const char* bytes, size_t size) override {
    while (size > 0) {
      const ssize_t wrote = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      bytes += wrote;
      size -= static_cast<size_t>(wrote);
      offset += static_cast<uint64_t>(wrote);
    }
    return true;
  }

  bool Read(uint64_t offset, char* into, size_t size, size_t* got) override {
    ssize_t read;
    do {
      read = ::pread(fd_, into, size, static_cast<off_t>(offset));
    } while (read < 0 && errno == EINTR);
    *got = read > 0 ? static_cast<size_t>(read) : 0;
    return read >= 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ScratchFile> MakeScratchFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string path =
      std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/quillplan-XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return nullptr;
  ::unlink(path.c_str());  // nameless from here on: nothing outlives the process
  return std::make_unique<PosixScratchFile>(fd);
}

}  // namespace quill::plan
