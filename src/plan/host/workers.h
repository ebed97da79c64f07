#ifndef QUILL_PLAN_HOST_WORKERS_H_
#define QUILL_PLAN_HOST_WORKERS_H_

// Tasks on the cores there are. Not every compiler the tool is built with
// has the standard library's threads (the Windows build's thread model has
// none), so the build chooses the implementation: std::thread, the Win32
// API, or one task after the other where there is neither.
#include <cstddef>
#include <functional>
#include <memory>

namespace quill::plan {

class Workers {
 public:
  virtual ~Workers() = default;
  // How many tasks may usefully run at once.
  virtual size_t Count() = 0;
  // task(0) to task(count - 1), at once where it can; returns when all
  // have ended.
  virtual void Run(size_t count, const std::function<void(size_t)>& task) = 0;
};

// The implementation the build chose.
std::unique_ptr<Workers> MakeWorkers();

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_WORKERS_H_
