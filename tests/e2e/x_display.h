#ifndef QUILL_TESTS_E2E_X_DISPLAY_H_
#define QUILL_TESTS_E2E_X_DISPLAY_H_

// A private X server (Xvfb) for the windows the program shows, and the
// person in front of it: xdotool finds a window by its caption and presses
// keys there.
#include <sys/types.h>

#include <string>
#include <vector>

namespace quill::e2e {

class XDisplay {
 public:
  XDisplay() = default;
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Starts Xvfb on a free display; false (with `error`) when it cannot.
  bool Start(std::string* error);
  void Stop();
  // ":N", for DISPLAY.
  const std::string& name() const { return name_; }

  // The first window whose caption is exactly `caption`, waiting up to
  // `seconds` for it to appear; empty when none did.
  std::string FindWindow(const std::string& caption, double seconds) const;
  bool WindowExists(const std::string& caption) const;
  std::string WindowName(const std::string& window) const;
  // Gives the window the keyboard and presses `key` (an X key name, e.g.
  // "Return"), until the window has gone or `seconds` have passed.
  bool PressKeyUntilClosed(const std::string& window, const std::string& key,
                           double seconds) const;

 private:
  std::string Xdotool(const std::vector<std::string>& arguments, int* status) const;

  pid_t server_ = -1;
  std::string name_;
};

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_X_DISPLAY_H_
