#include <windows.h>

#include <vector>

#include "plan/host/workers.h"

namespace quill::plan {

namespace {

struct Started {
  const std::function<void(size_t)>* task;
  size_t index;
};

DWORD WINAPI RunStarted(LPVOID parameter) {
  const Started* started = static_cast<const Started*>(parameter);
  (*started->task)(started->index);
  return 0;
}

class Win32Workers : public Workers {
 public:
  size_t Count() override {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
  }
  void Run(size_t count, const std::function<void(size_t)>& task) override {
    std::vector<Started> started(count);
    std::vector<HANDLE> threads;
    for (size_t i = 1; i < count; ++i) {
      started[i] = {&task, i};
      HANDLE thread = CreateThread(nullptr, 0, RunStarted, &started[i], 0, nullptr);
      // Without a thread, the task runs here.
      if (thread == nullptr) {
        task(i);
      } else {
        threads.push_back(thread);
      }
    }
    if (count > 0) task(0);
    for (HANDLE thread : threads) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
  }
};

}  // namespace

std::unique_ptr<Workers> MakeWorkers() { return std::make_unique<Win32Workers>(); }

}  // namespace quill::plan
