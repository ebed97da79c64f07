// Wildcards in the command line's input paths, by a host whose matches the test gives.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "plan/verbs/path_arguments.h"
#include "plan/verbs/verbs.h"

namespace quill::plan {
namespace {

class FakeWildcards : public Wildcards {
 public:
  std::vector<std::string> Expand(const std::string& path) override {
    const auto found = matches.find(path);
    return found == matches.end() ? std::vector<std::string>{path} : found->second;
  }
  std::map<std::string, std::vector<std::string>> matches;
};

TEST(PathArgumentsTest, ListsTakeEveryMatchAndOnePathTakesOne) {
  FakeWildcards host;
  host.matches = {{"C:\\logs\\*.LOG", {"C:\\logs\\A.LOG", "C:\\logs\\b.log"}},
                  {"C:\\none\\*", {}},
                  {"C:\\d*.ini", {"C:\\deploy.ini"}}};
  std::string ini = "C:\\d*.ini", none = "C:\\none\\*", empty;
  std::vector<std::string> logs = {"C:\\logs\\*.LOG", "C:\\none\\*", "C:\\one.log"};
  std::ostringstream err;
  EXPECT_EQ(ExpandInputPaths(host, "report", {&ini, &none, &empty}, {&logs}, err), kAllGood);
  EXPECT_EQ(ini, "C:\\deploy.ini");
  EXPECT_EQ(none, "C:\\none\\*");  // read as typed, named as not there
  EXPECT_EQ(empty, "");
  EXPECT_EQ(logs, (std::vector<std::string>{"C:\\logs\\A.LOG", "C:\\logs\\b.log", "C:\\none\\*",
                                            "C:\\one.log"}));
  EXPECT_EQ(err.str(), "");

  std::string many = "C:\\logs\\*.LOG";
  EXPECT_EQ(ExpandInputPaths(host, "lint", {&many}, {}, err), kUsage);
  EXPECT_EQ(err.str(), "quillplan lint: C:\\logs\\*.LOG: names 2 files where one is read\n");
}

}  // namespace
}  // namespace quill::plan
