// The end-to-end tests share the Wine machines: the 64-bit Windows is made
// before the first test, the 32-bit one when a test first asks for it, and
// both are ended after the last.
#include <gtest/gtest.h>

#include <iostream>

#include "wine_machine.h"

namespace {

class WineMachineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const quill::e2e::WineMachine& machine = quill::e2e::WineMachine::Get();
    if (!machine.ready()) FAIL() << "the Wine machine could not be set up: " << machine.error();
  }
  void TearDown() override { quill::e2e::WineMachine::TearDownAll(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new WineMachineEnvironment);
  return RUN_ALL_TESTS();
}
