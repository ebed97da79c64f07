// Folders answered from one listing, where the planner asks its questions of the share.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plan/windows/machine_files.h"
#include "platform/file_system.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

// A mapped path is answered from its folder's listing, each folder listed
// once: the answers are what the host says of the path, in any order asked.
TEST(MachineFilesTest, AnswersFromListingsAreTheHostsAnswers) {
  TempTree tree;
  tree.Directory("c/Apps/Reader/07");
  tree.File("c/Apps/Reader/setup.exe", "x");
  tree.File("c/Apps/plain.txt", "x");
  tree.File("share/Setup/x.exe", "x");
  std::filesystem::create_directory_symlink(tree.Path("c/Apps/Reader"), tree.Path("c/Apps/Link"));
  std::filesystem::create_symlink(tree.Path("c/nowhere"), tree.Path("c/Apps/Gone"));
  struct Row {
    const char16_t* path;
    uint32_t attributes;
  };
  const uint32_t kDirectory = kFileAttributeDirectory;
  const uint32_t kFile = kFileAttributeNormal;
  const uint32_t kMissing = kInvalidFileAttributes;
  const std::vector<Row> rows = {
      {u"C:\\Apps\\Reader\\07", kDirectory},   {u"C:\\APPS\\reader\\07", kDirectory},
      {u"C:\\Apps\\Reader\\setup.exe", kFile}, {u"C:\\Apps\\Reader\\08", kMissing},
      {u"C:\\Apps\\Link\\07", kDirectory},     {u"C:\\Apps\\Link", kDirectory},
      {u"C:\\Apps\\Gone", kMissing},           {u"C:\\Apps\\plain.txt\\x", kMissing},
      {u"C:\\Nowhere\\x", kMissing},           {u"C:\\Apps\\Reader\\07\\..\\setup.exe", kFile},
      // A share answered as a drive is, by its server and share names.
      {u"\\\\SERVER\\apps\\setup\\X.EXE", kFile}, {u"\\\\server\\Apps\\Setup", kDirectory},
      {u"\\\\server\\Apps\\y.exe", kMissing},
  };
  for (bool reversed : {false, true}) {
    PathMap map;
    map.Add({u"C:", tree.Path("c")});
    PathMapping share;
    ASSERT_TRUE(ParsePathMapping("\\\\Server\\Apps=" + tree.Path("share"), &share));
    map.Add(share);
    MachineFiles files(std::move(map), Assumption::kPresent);
    for (size_t i = 0; i < rows.size(); ++i) {
      const Row& row = rows[reversed ? rows.size() - 1 - i : i];
      const FileAnswer answer = files.Question(row.path);
      EXPECT_EQ(row.attributes, answer.attributes) << ToUtf8(row.path);
      EXPECT_EQ(row.attributes != kMissing, answer.exists) << ToUtf8(row.path);
      EXPECT_EQ(AnswerBasis::kMapped, answer.basis) << ToUtf8(row.path);
    }
  }
}

}  // namespace
}  // namespace quill::plan
