// What the registry holds of a deployment across a restart, read back. The
// input is UTF-16 little-endian text; anyone who can write the value can
// also write RunOnce, but a value torn or edited by hand must never resume
// a run somewhere the walk cannot be.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runner/restarts.h"

using quill::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const quill::WString text =
      quill::fuzz::Utf16(std::string(reinterpret_cast<const char*>(bytes), size));
  quill::DeploymentMemory memory;
  memory.ini_path = u"untouched";
  if (!quill::DecodeMemory(text, &memory)) {
    Check(memory.ini_path == u"untouched" && memory.restarts == 0,
          "a memory that does not read is untouched");
    return 0;
  }
  Check(memory.restarts >= 1 && memory.restarts <= quill::kMostRestarts,
        "restarts within the bound");
  Check(memory.after.pass >= 0 && memory.after.pass <= 1, "a pass the run has");
  Check(memory.after.stage >= 1 && memory.after.stage <= 2, "a stage the pass has");
  Check(memory.after.number >= 1, "an APP number");
  Check(memory.asked_at >= 0, "a time of the request the clock can give");
  Check(!memory.ini_path.empty(), "a path");
  Check(text.size() >= memory.ini_path.size() &&
            text.compare(text.size() - memory.ini_path.size(), memory.ini_path.size(),
                         memory.ini_path) == 0,
        "the path is the text's end, whole");
  quill::DeploymentMemory again;
  Check(quill::DecodeMemory(quill::EncodeMemory(memory), &again), "what is written reads");
  Check(quill::EncodeMemory(again) == quill::EncodeMemory(memory), "and reads as it was");
  return 0;
}
