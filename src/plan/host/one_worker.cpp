#include "plan/host/workers.h"

namespace quill::plan {

namespace {

class OneWorker : public Workers {
 public:
  size_t Count() override { return 1; }
  void Run(size_t count, const std::function<void(size_t)>& task) override {
    for (size_t i = 0; i < count; ++i) task(i);
  }
};

}  // namespace

std::unique_ptr<Workers> MakeWorkers() { return std::make_unique<OneWorker>(); }

}  // namespace quill::plan
