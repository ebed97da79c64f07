// The HashList as the program reads it, and the files a command line names:
// whatever the bytes, every path comes out full, resolved and comparable,
// and every hash as 64 lower-case hex digits or none.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "runner/application_command.h"
#include "runner/hash_list.h"

using quill::WString;
using quill::fuzz::Check;

namespace {

bool IsFull(const WString& path) {
  const bool drive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
  const bool unc = path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\';
  return drive || unc;
}

bool IsResolved(const WString& path) {
  const WString tail = path.size() > 2 ? path.substr(2) : WString();
  return tail.find(u"\\.\\") == WString::npos && tail.find(u"\\..\\") == WString::npos &&
         tail.find(u'/') == WString::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string list = data.ConsumeRandomLengthString(4096);
  const quill::ParsedHashList parsed = quill::ParseHashList(list, u"C:\\Kit");
  for (const auto& [key, listed] : parsed.by_path) {
    Check(IsFull(key) && IsResolved(key), "a listed path is full and resolved");
    Check(quill::PathKey(key) == key, "a listed path is its own key");
    Check(listed.sha256.empty() ||
              (listed.sha256.size() == 64 &&
               listed.sha256.find_first_not_of("0123456789abcdef") == std::string::npos),
          "a hash is 64 lower-case hex digits, or none");
    Check(listed.line >= 1, "a line number counts from 1");
  }
  Check(parsed.unread_lines.size() + parsed.by_path.size() <= list.size() + 1,
        "no more lines than the list has");

  const std::vector<char> rest = data.ConsumeRemainingBytes<char>();
  const WString handed = quill::fuzz::Utf16(std::string(rest.begin(), rest.end()));
  WString refused;
  const std::vector<WString> files =
      quill::InstallerFiles(handed, u"C:\\Work", u"C:\\WINDOWS\\system32", &refused);
  Check(refused.empty() || files.size() == 1, "a refused command line names only its program");
  for (const WString& file : files) {
    // Any other is refused before it is opened.
    Check(!quill::IsResolvedFullPath(file) || (IsFull(file) && IsResolved(file)),
          "a file taken as full is full and resolved");
  }
  return 0;
}
