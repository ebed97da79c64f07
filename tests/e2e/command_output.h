#ifndef QUILL_TESTS_E2E_COMMAND_OUTPUT_H_
#define QUILL_TESTS_E2E_COMMAND_OUTPUT_H_

// What a host command (quillplan over a run's logs) prints.
#include <cstdio>
#include <string>

namespace quill::e2e {

// Its standard output, or "" when it cannot run.
inline std::string CommandOutput(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
  pclose(pipe);
  return text;
}

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_COMMAND_OUTPUT_H_
