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
// "fatal error during installation"; empty when the code is not known.
std::string ExitMeaning(uint32_t code);
// "exit 1603: fatal error during installation", or "exit 77".
std::string ExitCodeTold(uint32_t code);

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_EXIT_MEANINGS_H_
