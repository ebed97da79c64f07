// quillplan's reading of a file's version resource, for DetectFile's
// ">= version" against a mapped file. The input is the file's bytes.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "plan/host/file_version.h"

using quill::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string file(reinterpret_cast<const char*>(bytes), size);
  quill::FileVersion version;
  const bool read = quill::plan::FileVersionInBytes(file, &version);
  // What is read is the file's own: the signature, a word, then the version's
  // two words as the file holds them.
  std::string expected("\xBD\x04\xEF\xFE", 4);
  const uint16_t order[] = {1, 0, 3, 2};
  std::string words;
  for (uint16_t at : order) {
    words += static_cast<char>(version.parts[at] & 0xFF);
    words += static_cast<char>(version.parts[at] >> 8);
  }
  bool found = false;
  for (size_t at = file.find(expected); read && at != std::string::npos;
       at = file.find(expected, at + 1)) {
    found = found || (at + 16 <= file.size() && file.compare(at + 8, 8, words) == 0);
  }
  Check(!read || found, "a version read is the one after a signature in the file");
  // Bytes after the record change nothing.
  quill::FileVersion again;
  Check(!read || (quill::plan::FileVersionInBytes(file + std::string(64, '\xFF'), &again) &&
                  std::memcmp(&again, &version, sizeof version) == 0),
        "bytes after the file change nothing");
  return 0;
}
