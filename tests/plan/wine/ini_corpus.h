#ifndef QUILL_TESTS_PLAN_WINE_INI_CORPUS_H_
#define QUILL_TESTS_PLAN_WINE_INI_CORPUS_H_

// INI files with tricky content, made from a fixed seed, and the questions
// to ask of each: names in other cases and with blanks, duplicate sections
// and keys, quotes, blanks, comments, long values, every kind of line end,
// and three encodings.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/wide_string.h"

namespace quill::plan {

struct ProfileQuestion {
  WString section;
  WString key;
  size_t buffer_chars = 260;
};

struct CorpusFile {
  std::string name;   // "ini042.ini"
  std::string bytes;
  std::vector<ProfileQuestion> questions;
};

std::vector<CorpusFile> MakeIniCorpus(size_t files, unsigned seed);

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_WINE_INI_CORPUS_H_
