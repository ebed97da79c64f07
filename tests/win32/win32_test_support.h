#ifndef QUILL_TESTS_WIN32_WIN32_TEST_SUPPORT_H_
#define QUILL_TESTS_WIN32_WIN32_TEST_SUPPORT_H_

// What the Windows-side tests share: a scratch folder per test, files by
// path, and the places of the tools and libraries built beside the tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wide_string.h"
#include "platform/win32/win32_api.h"

namespace quill::test {

WString Utf16(const std::string& utf8);
std::wstring Wide(const WString& text);

// The folder this test binary lies in, without a trailing backslash.
WString BuildDirectory();
// A tool built into the tools folder, e.g. L"waitexit.exe".
WString ToolPath(const WString& name);

// A writable, NUL-terminated command line, as a process is started with.
std::vector<char16_t> CommandBuffer(const WString& command_line);

bool WriteBytes(const WString& path, const std::string& bytes);
// The file's bytes, or "<unreadable>" when it cannot be opened.
std::string ReadBytes(const WString& path);
bool Exists(const WString& path);

// A fresh, empty folder under the temporary directory for each test,
// removed with everything in it afterwards.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // `name` inside the scratch folder.
  WString At(const WString& name) const { return scratch_ + u"\\" + name; }

  WString scratch_;
};

}  // namespace quill::test

#endif  // QUILL_TESTS_WIN32_WIN32_TEST_SUPPORT_H_
