// The real watchdog, in child processes of its own: one whose run blocks for
// ever, one that spends its budget's time paused. The waits only bound a
// child that the watchdog failed to end.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace nimbra::win32 {
namespace {

constexpr DWORD kLongestChildMs = 60000;

TEST(Watchdog, ARunBlockedInAKernelCallEndsPastItsBudgetWithTheFailureCodeAndSaysWhere) {
  const std::string log = testing::freshScratchFolder() + "run.log";
  EXPECT_EQ(testing::runAndWait(testing::inQuotes(testing::ownExecutablePath()) + " --watchdog-blocked 500 " +
                                    testing::inQuotes(log),
                                kLongestChildMs),
            1603);
  const std::string said = testing::readWholeFile(log);
  EXPECT_NE(said.find(" run stopped: no end after 10 minutes of work outside any box, while reading a pipe that "
                      "nobody writes\r\n"),
            std::string::npos)
      << said;
}

TEST(Watchdog, PausedTimeDoesNotCount) {
  EXPECT_EQ(testing::runAndWait(testing::inQuotes(testing::ownExecutablePath()) + " --watchdog-paused 1000",
                                kLongestChildMs),
            0);
}

}  // namespace
}  // namespace nimbra::win32
