#ifndef QUILL_PLAN_WINDOWS_INI_TEXT_H_
#define QUILL_PLAN_WINDOWS_INI_TEXT_H_

// An INI file's bytes as the platform's profile reader decodes them: a UTF-8
// byte-order mark, a UTF-16 one in either order, or else the ANSI code page
// (Windows-1252 here, the code page of an English or Western European system).
#include <string>

#include "platform/wide_string.h"

namespace quill::plan {

enum class IniEncoding { kAnsi, kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

const char* EncodingName(IniEncoding encoding);

IniEncoding DetectIniEncoding(const std::string& bytes);

// The text after the byte-order mark, decoded.
WString DecodeIniText(const std::string& bytes, IniEncoding encoding);

// One byte of Windows-1252.
char16_t FromWindows1252(unsigned char byte);

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_INI_TEXT_H_
