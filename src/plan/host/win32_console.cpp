#include <windows.h>

#include <algorithm>

#include "plan/host/console.h"

namespace quill::plan {

namespace {

class Win32Console : public Console {
 public:
  explicit Win32Console(HANDLE handle) : handle_(handle) {}
  bool Write(const WString& text) override {
    // A console takes a bounded piece at a time.
    for (size_t at = 0; at < text.size();) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(text.size() - at, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(handle_, reinterpret_cast<const wchar_t*>(text.data()) + at, piece,
                         &written, nullptr) ||
          written == 0) {
        return false;
      }
      at += written;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<Console> ConsoleOf(StandardStream stream) {
  const HANDLE handle =
      GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return std::make_unique<Win32Console>(handle);
}

}  // namespace quill::plan
