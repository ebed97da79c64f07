#ifndef QUILL_PLAN_HOST_INPUT_FILE_H_
#define QUILL_PLAN_HOST_INPUT_FILE_H_

// A file of the host opened to be read from its start to its end. It is
// opened without blocking and read only when it is a regular file: a named
// pipe, a device or a socket on a share would otherwise stop a verb for ever.
#include <cstddef>
#include <string>

namespace quill::plan {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False with the reason when it cannot be opened or is no regular file.
  bool Open(const std::string& path, std::string* why_not);
  // Up to `size` bytes; *got is 0 at the end. False when reading failed.
  bool Read(char* into, size_t size, size_t* got);

 private:
#ifdef _WIN32
  void* file_ = nullptr;  // a FILE*: the system has no descriptors
#else
  int descriptor_ = -1;
#endif
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_INPUT_FILE_H_
