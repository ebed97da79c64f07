#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"

namespace quill::plan {
namespace {

// What a log's bytes become on a terminal and in JSON: a control escaped,
// valid text as it is, whichever writes cut it.
TEST(TextTest, ControlsAreEscapedOnATerminalAndInJson) {
  const struct {
    std::string data;
    std::string shown;
    std::string json;  // the string's text between its quotation marks
  } rows[] = {
      {"R\xC3\xA9seau", "R\xC3\xA9seau", "R\xC3\xA9seau"},
      {"\x1b[2J", "\\x1b[2J", "\\u001b[2J"},
      {"a\x7f", "a\\x7f", "a\\u007f"},                 // DEL
      {"\xC2\x9F", "\\xc2\\x9f", "\\u009f"},           // the last C1 control
      {"\xC2\xA0", "\xC2\xA0", "\xC2\xA0"},            // the first character past them
      {"\xE2\x80\xAE", "\\xe2\\x80\\xae", "\\u202e"},  // right-to-left override
      {"\xFF", "\\xff", "\xEF\xBF\xBD"},               // no UTF-8
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.shown, Shown(row.data)) << row.shown;
    EXPECT_EQ("\"" + row.json + "\"", JsonText(nlohmann::json(row.data))) << row.shown;
    const std::string text = "[" + row.data + "\xF0\x9F\x96\xA7]";
    for (size_t cut = 1; cut < text.size(); ++cut) {
      struct Flushes : std::stringbuf {
        int syncs = 0;
        int sync() override { return ++syncs, 0; }
      } underneath;
      std::ostream out(&underneath);
      ShownOutput shown(out);
      std::ostream through(&shown);
      through << text.substr(0, cut) << std::flush << text.substr(cut) << std::flush;
      EXPECT_EQ(Shown(text), underneath.str()) << row.shown << " cut at " << cut;
      EXPECT_EQ(2, underneath.syncs) << "each flush reaches the stream";
    }
  }
}

}  // namespace
}  // namespace quill::plan
