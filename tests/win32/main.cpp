// The test executable is also its own helper process: a test that needs another
// process (to hold a file or a mapping, or to report what it was given) starts a
// copy of it with a role argument, handled here before GoogleTest sees argv.
#include <gtest/gtest.h>

#include "child_roles.h"

int main(int argc, char** argv) {
  if (const auto exitCode = nimbra::win32::testing::runChildRole(argc, argv)) return *exitCode;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
