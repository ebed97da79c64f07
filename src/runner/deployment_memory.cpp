#include "runner/deployment_memory.h"

#include <cstdint>
#include <string>

namespace quill {

const char16_t kMemoryKey[] = u"Software\\Quillrun";
const char16_t kMemoryName[] = u"Deployment";
const char16_t kRunOnceKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char16_t kRunOnceName[] = u"Quillrun";

namespace {

constexpr char16_t kSeparator = u';';
constexpr size_t kNumberFields = 7;

WString Decimal(uint64_t number) {
  const std::string digits = std::to_string(number);
  return WString(digits.begin(), digits.end());
}

// Digits only, at most `most`.
bool ReadNumber(const WString& text, uint64_t most, uint64_t* number) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - u'0');
    if (digit > most || value > (most - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *number = value;
  return true;
}

}  // namespace

WString EncodeMemory(const DeploymentMemory& memory) {
  const uint64_t numbers[] = {1,
                              static_cast<uint64_t>(memory.restarts),
                              static_cast<uint64_t>(memory.after.pass),
                              static_cast<uint64_t>(memory.after.stage),
                              static_cast<uint64_t>(memory.after.number),
                              memory.stamp.size,
                              memory.stamp.write_time};
  WString text;
  for (uint64_t number : numbers) text += Decimal(number) + kSeparator;
  return text + memory.ini_path;
}

bool DecodeMemory(const WString& text, DeploymentMemory* memory) {
  // Each field's largest value: the format, a count, a pass, a stage, an APP
  // number, and two 64-bit values.
  const uint64_t most[kNumberFields] = {1, kMostRestarts, 1, 2, INT32_MAX, UINT64_MAX, UINT64_MAX};
  const uint64_t least[kNumberFields] = {1, 1, 0, 1, 1, 0, 0};
  uint64_t numbers[kNumberFields] = {};
  size_t at = 0;
  for (size_t i = 0; i < kNumberFields; ++i) {
    const size_t end = text.find(kSeparator, at);
    if (end == WString::npos) return false;
    if (!ReadNumber(text.substr(at, end - at), most[i], &numbers[i]) || numbers[i] < least[i]) {
      return false;
    }
    at = end + 1;
  }
  if (at >= text.size()) return false;  // no path
  memory->restarts = static_cast<int32_t>(numbers[1]);
  memory->after = {static_cast<int32_t>(numbers[2]), static_cast<int32_t>(numbers[3]),
                   static_cast<int32_t>(numbers[4])};
  memory->stamp = {numbers[5], numbers[6]};
  memory->ini_path = text.substr(at);
  return true;
}

WString ResumeCommand(const WString& program_path, const WString& ini_path) {
  return u"\"" + program_path + u"\" " + ini_path;
}

bool IsAtOrBefore(const WalkPosition& at, const WalkPosition& position) {
  if (at.pass != position.pass) return at.pass < position.pass;
  if (at.stage != position.stage) return at.stage < position.stage;
  return at.number <= position.number;
}

}  // namespace quill
