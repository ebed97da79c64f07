#include "win32_test_support.h"

#include <vector>

namespace quill::test {

namespace {

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

WString Utf16(const std::string& utf8) {
  if (utf8.empty()) return WString();
  const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], chars);
  return WString(wide.begin(), wide.end());
}

std::wstring Wide(const WString& text) { return std::wstring(text.begin(), text.end()); }

WString BuildDirectory() {
  std::vector<wchar_t> path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring file(path.data(), length);
  file.resize(file.find_last_of(L'\\'));
  return WString(file.begin(), file.end());
}

WString ToolPath(const WString& name) { return BuildDirectory() + u"\\tools\\" + name; }

std::vector<char16_t> CommandBuffer(const WString& command_line) {
  std::vector<char16_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(u'\0');
  return buffer;
}

bool WriteBytes(const WString& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

std::string ReadBytes(const WString& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool Exists(const WString& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ScratchTest::SetUp() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(length, 0u);
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring folder(temp, length);
  if (folder.back() == L'\\') folder.pop_back();
  folder += L"\\quill-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            Wide(Utf16(std::string(test->test_suite_name()) + "-" + test->name()));
  for (wchar_t& c : folder) {
    if (c == L'/') c = L'_';  // parameterised test names hold a slash
  }
  RemoveTree(folder);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  scratch_ = WString(folder.begin(), folder.end());
}

void ScratchTest::TearDown() {
  if (!scratch_.empty()) RemoveTree(Wide(scratch_));
}

}  // namespace quill::test
