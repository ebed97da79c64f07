#ifndef QUILL_PLAN_TEXT_COUNTED_H_
#define QUILL_PLAN_TEXT_COUNTED_H_

// A number and its noun, as the text reports write them: "1 PC", "3 PCs".
#include <cstdint>
#include <string>

namespace quill::plan {

inline std::string Counted(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_COUNTED_H_
