#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "plan/host/part_files.h"

namespace quill::plan {

namespace {

// A handler may use only what is safe in one: fixed room, no allocation.
constexpr size_t kMostParts = 4;
constexpr size_t kLongestPath = 4096;
char parts[kMostParts][kLongestPath];
volatile sig_atomic_t in_use[kMostParts];

void RemoveParts(int signal_number) {
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i]) ::unlink(parts[i]);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void InstallOnce() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction action;
      // A signal ignored (nohup, a background job) stays ignored.
      if (::sigaction(signal_number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
        continue;
      std::memset(&action, 0, sizeof action);
      action.sa_handler = RemoveParts;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal_number, &action, nullptr);
    }
  });
}

}  // namespace

void RemoveOnSignal(const std::string& path) {
  if (path.size() >= kLongestPath) return;
  InstallOnce();
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i]) continue;
    std::memcpy(parts[i], path.c_str(), path.size() + 1);
    in_use[i] = 1;
    return;
  }
}

void Forget(const std::string& path) {
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i] && path == parts[i]) in_use[i] = 0;
  }
}

}  // namespace quill::plan
