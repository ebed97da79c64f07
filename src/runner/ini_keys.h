#ifndef QUILL_RUNNER_INI_KEYS_H_
#define QUILL_RUNNER_INI_KEYS_H_

// Where the run reads each key of the input INI file. A key written in a
// section the run never asks it in is read nowhere, without a word: the
// one list lint names such keys from, and the tests hold to the run's own
// reads and to the key tables of docs/quillrun.md.
#include <cstddef>

#include "platform/wide_string.h"

namespace quill {

enum class KeyPlace { kSettings, kMachine, kApplication };

struct IniKeyPlace {
  const char16_t* key;  // "APPn" stands for APP1, APP2, ...
  KeyPlace place;
};

extern const IniKeyPlace kIniKeyPlaces[];
extern const size_t kIniKeyPlaceCount;

// Whether the run reads the key (any case) in that kind of section; an
// APP<number> key counts as APPn.
bool ReadInPlace(const WString& key, KeyPlace place);

// Whether the run reads the key in any section.
bool KnownKey(const WString& key);

}  // namespace quill

#endif  // QUILL_RUNNER_INI_KEYS_H_
