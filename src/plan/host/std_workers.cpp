#include <thread>
#include <vector>

#include "plan/host/workers.h"

namespace quill::plan {

namespace {

class StdWorkers : public Workers {
 public:
  size_t Count() override {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
  }
  void Run(size_t count, const std::function<void(size_t)>& task) override {
    std::vector<std::thread> others;
    for (size_t i = 1; i < count; ++i) others.emplace_back(task, i);
    if (count > 0) task(0);
    for (std::thread& other : others) other.join();
  }
};

}  // namespace

std::unique_ptr<Workers> MakeWorkers() { return std::make_unique<StdWorkers>(); }

}  // namespace quill::plan
