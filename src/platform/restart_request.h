#ifndef QUILL_PLATFORM_RESTART_REQUEST_H_
#define QUILL_PLATFORM_RESTART_REQUEST_H_

// Why: an installer that needs a restart leaves the asking to its caller.
// Asking Windows takes the shutdown privilege and a call that may return
// before the machine goes down (under Wine it returns at once, after the
// RunOnce commands have run), so the program must be done with its files
// first. The tests only record the request.
namespace quill {

class RestartRequest {
 public:
  virtual ~RestartRequest() = default;

  // Enables the shutdown privilege and asks Windows to restart; false when
  // Windows refuses.
  virtual bool RequestRestart() = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_RESTART_REQUEST_H_
