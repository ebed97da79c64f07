#include "facts/language_code.h"

#include <string>

#include "facts/language_table.h"

namespace quill {

const char16_t kFallbackLanguageTable[] = u"C:\\LANG_INI.TXT";

WString FormatLcid(uint32_t lcid) {
  static const char kDigits[] = "0123456789abcdef";
  WString digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(kDigits[lcid % 16]));
    lcid /= 16;
  } while (lcid != 0);
  return u"0x" + digits;
}

namespace {

// The fallback table's bytes; the copy is made only when it does not exist.
bool ReadFallbackTable(const WString& table_path, FileSystem& files, std::string* bytes) {
  if (files.GetAttributes(kFallbackLanguageTable) == kInvalidFileAttributes) {
    if (!files.Copy(table_path, kFallbackLanguageTable, false)) return false;
    files.SetAttributes(kFallbackLanguageTable, kFileAttributeNormal);
  }
  return files.ReadFileBytes(kFallbackLanguageTable, bytes);
}

}  // namespace

int LookUpLanguageCode(RunContext& context, Platform& platform) {
  context.LcidText = FormatLcid(platform.UserDefaultLcid());

  std::string bytes;
  if (!platform.ReadFileBytes(context.LanguageTablePath, &bytes) &&
      !ReadFallbackTable(context.LanguageTablePath, platform, &bytes)) {
    return 0;
  }
  WString section;
  if (!FindLanguageSection(bytes, context.LcidText, &section, platform)) return 0;
  context.LanguageCode = section;
  return 1;
}

}  // namespace quill
