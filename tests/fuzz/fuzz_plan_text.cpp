// quillplan's text from outside made safe: any bytes as a JSON string, as
// text for a terminal, and as a date of an option.
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "plan/report/run_filter.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"

using quill::fuzz::Check;

namespace {

// No byte a terminal acts on but the line feeds of its lines, and UTF-8 throughout.
bool TerminalSafe(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : 0);
    if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && next < 0xA0)) return false;
    // The bidirectional controls: U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069.
    const auto third = static_cast<unsigned char>(i + 2 < text.size() ? text[i + 2] : 0);
    if (c == 0xD8 && next == 0x9C) return false;
    if (c == 0xE2 && next == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) return false;
    if (c == 0xE2 && next == 0x81 && third >= 0xA6 && third <= 0xA9) return false;
  }
  return quill::plan::ValidUtf8(text) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);

  const std::string json = quill::plan::JsonText(nlohmann::ordered_json({{"name", text}}), 2);
  Check(nlohmann::json::accept(json), "the JSON parses");
  Check(TerminalSafe(json), "the JSON is safe on a terminal");
  const std::string read = nlohmann::json::parse(json)["name"].get<std::string>();
  if (quill::plan::ValidUtf8(text) == text) Check(read == text, "valid text reads back as it was");

  const std::string shown = quill::plan::Shown(text);
  Check(TerminalSafe(shown) && shown.find('\n') == std::string::npos, "shown text is safe on a terminal");
  if (TerminalSafe(text) && text.find('\n') == std::string::npos) {
    Check(shown == text, "safe text is shown as it is");
  }

  if (const auto days = quill::plan::IsoDateDays(text)) {
    Check(quill::plan::IsoDate(*days) == text, "a date read is written back the same");
  }
  return 0;
}
