// The end-to-end tests share one Wine machine, made before the first test
// and ended after the last.
#include <gtest/gtest.h>

#include <iostream>

#include "wine_machine.h"

namespace {

class WineMachineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::cout << "[ e2e      ] making the Wine prefix and the X display..." << std::endl;
    std::string error;
    if (!quill::e2e::WineMachine::Get().SetUp(&error)) {
      FAIL() << "the Wine machine could not be set up: " << error;
    }
    std::cout << "[ e2e      ] prefix " << quill::e2e::WineMachine::Get().prefix() << ", display "
              << quill::e2e::WineMachine::Get().display().name() << std::endl;
  }
  void TearDown() override { quill::e2e::WineMachine::Get().TearDown(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new WineMachineEnvironment);
  return RUN_ALL_TESTS();
}
