#ifndef QUILL_PLAN_TEXT_EXIT_MEANINGS_H_
#define QUILL_PLAN_TEXT_EXIT_MEANINGS_H_

// What well-known installer exit codes mean, in a few words, from the
// installers' public documentation: Windows Installer, NSIS, Inno Setup,
// and the HRESULT and NTSTATUS values a crashed or wrapped installer ends
// with. One table, so a report tells the same meaning everywhere.
#include <cstdint>
#include <string>

namespace quill::plan {

// "1603"; a value with the top bit set, as HRESULTs are, in hex: "0xC0000005".
std::string ExitCodeShown(uint32_t code);
// Whether the command line starts Windows Installer (msiexec).
bool LaunchesMsiexec(const std::string& command_line);
// "fatal error during installation"; empty when the code is not known. For
// a command line of another installer or none, a small code's meaning for
// NSIS or Inno Setup is offered: "if Inno Setup: ...".
std::string ExitMeaning(uint32_t code, const std::string& command_line = "");
// "exit 1603: fatal error during installation", or "exit 77".
std::string ExitCodeTold(uint32_t code, const std::string& command_line = "");

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_EXIT_MEANINGS_H_
