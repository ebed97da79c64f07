#ifndef QUILL_TESTS_HARDENING_LARGE_LANGUAGE_TABLE_H_
#define QUILL_TESTS_HARDENING_LARGE_LANGUAGE_TABLE_H_

// A language table for load tests, natively and under Wine: `sections`
// sections of which only the last, LAST, matches the locale 0x409; each
// other has an LCID of its own and 0x409 in a comment.
#include <cstdio>
#include <string>

namespace quill {

inline std::string LanguageTableMatchingInTheLast(int sections) {
  std::string table;
  for (int i = 1; i < sections; ++i) {
    char section[64];
    std::snprintf(section, sizeof section, "[C%05d]\r\nLCID=0x%x\r\n;LCID=0x409\r\n", i,
                  0x10000 + i);
    table += section;
  }
  return table + "[LAST]\r\nLCID=0x409\r\n";
}

}  // namespace quill

#endif  // QUILL_TESTS_HARDENING_LARGE_LANGUAGE_TABLE_H_
