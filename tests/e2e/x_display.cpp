#include "x_display.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "child_process.h"

namespace quill::e2e {

namespace {

void SleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// xdotool takes a window name as a regular expression: this one matches
// `text` whole and literally.
std::string ExactPattern(const std::string& text) {
  std::string pattern = "^";
  for (const char c : text) {
    if (std::string(".^$|()[]{}*+?\\").find(c) != std::string::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + "$";
}

}  // namespace

XDisplay::~XDisplay() { Stop(); }

bool XDisplay::Start(std::string* error) {
  int numbers[2];
  if (pipe(numbers) != 0) {
    *error = "no pipe for Xvfb";
    return false;
  }
  server_ = fork();
  if (server_ == 0) {
    setpgid(0, 0);
    close(numbers[0]);
    const std::string fd = std::to_string(numbers[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(numbers[1]);
  // Xvfb writes the display number it chose once it accepts clients.
  std::string number;
  pollfd ready = {numbers[0], POLLIN, 0};
  while (poll(&ready, 1, 15000) > 0) {
    char c = 0;
    if (read(numbers[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(numbers[0]);
  if (number.empty()) {
    *error = "Xvfb did not start (is the xvfb package installed?)";
    Stop();
    return false;
  }
  name_ = ":" + number;
  return true;
}

void XDisplay::Stop() {
  if (server_ <= 0) return;
  kill(server_, SIGTERM);
  int status = 0;
  waitpid(server_, &status, 0);
  server_ = -1;
}

std::string XDisplay::Xdotool(const std::vector<std::string>& arguments, int* status) const {
  ProcessCommand command;
  command.argv = {"xdotool"};
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  command.environment = InheritedEnvironment({"DISPLAY="});
  command.environment.push_back("DISPLAY=" + name_);
  const ProcessOutcome outcome = RunProcess(command, 10);
  *status = outcome.finished ? outcome.exit_status : -1;
  return outcome.output;
}

std::string XDisplay::FindWindow(const std::string& caption, double seconds) const {
  const std::string pattern = ExactPattern(caption);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    int status = 0;
    const std::string found = Xdotool({"search", "--name", pattern}, &status);
    if (status == 0 && !found.empty()) return FirstLine(found);
    SleepSeconds(0.2);
  } while (std::chrono::steady_clock::now() < deadline);
  return std::string();
}

bool XDisplay::WindowExists(const std::string& caption) const {
  return !FindWindow(caption, 0).empty();
}

std::string XDisplay::WindowName(const std::string& window) const {
  int status = 0;
  const std::string name = Xdotool({"getwindowname", window}, &status);
  return status == 0 ? FirstLine(name) : std::string();
}

bool XDisplay::PressKeyUntilClosed(const std::string& window, const std::string& key,
                                   double seconds) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    int status = 0;
    // Without a window manager nothing hands out the focus; the key goes
    // to the focused window, so the box is given it first.
    Xdotool({"windowfocus", window}, &status);
    Xdotool({"key", key}, &status);
    SleepSeconds(0.5);
    Xdotool({"getwindowname", window}, &status);
    if (status != 0) return true;  // the window is gone
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace quill::e2e
