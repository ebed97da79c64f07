#ifndef QUILL_PLAN_TEXT_JSON_TEXT_H_
#define QUILL_PLAN_TEXT_JSON_TEXT_H_

// JSON as every verb writes it: valid whatever the data holds, and safe on
// a terminal. A byte that is not UTF-8 becomes U+FFFD; a control a terminal
// acts on (C0, DEL, C1, bidirectional) is written as \uXXXX. Valid text is
// otherwise written as it is.
#include <string>

#include <nlohmann/json.hpp>

namespace quill::plan {

// `dumped` as nlohmann's dump wrote it, its controls escaped.
std::string TerminalSafeJson(std::string dumped);

// `json` as dump(indent) writes it; -1 on one line.
template <typename Json>
std::string JsonText(const Json& json, int indent = -1) {
  return TerminalSafeJson(json.dump(indent, ' ', false, Json::error_handler_t::replace));
}

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_JSON_TEXT_H_
