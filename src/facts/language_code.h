#ifndef QUILL_FACTS_LANGUAGE_CODE_H_
#define QUILL_FACTS_LANGUAGE_CODE_H_

// Maps the user's locale to a language code through the language table.
// When the table exists but cannot be opened, a copy of it made once at
// C:\LANG_INI.TXT is read instead, and never refreshed.
#include <cstdint>

#include "base/run_context.h"
#include "platform/platform.h"

namespace quill {

extern const char16_t kFallbackLanguageTable[];

// "0x" and the number in lower-case hexadecimal, without leading zeros.
WString FormatLcid(uint32_t lcid);

// Always sets LcidText; sets LanguageCode and gives 1 when a section matched.
int LookUpLanguageCode(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_FACTS_LANGUAGE_CODE_H_
