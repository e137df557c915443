// The real watchdog, in child processes of its own. The waits only bound a
// child that the watchdog failed to end.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace nimbra::win32 {
namespace {

int RunWatched(const char* how, const std::string& log) {
  return testing::runAndWait(
      testing::inQuotes(testing::ownExecutablePath()) + " --watchdog 1000 " + how + " " + testing::inQuotes(log), 60000);
}

TEST(Watchdog, ARunBlockedInAKernelCallEndsPastItsBudgetWithTheFailureCodeAndSaysWhere) {
  const std::string log = testing::freshScratchFolder() + "run.log";
  EXPECT_EQ(RunWatched("blocked", log), 1603);
  EXPECT_NE(testing::readWholeFile(log).find(" run stopped: no end after 10 minutes of work outside any box, while "
                                             "reading a pipe that nobody writes\r\n"),
            std::string::npos);
}

TEST(Watchdog, PausedTimeDoesNotCount) {
  EXPECT_EQ(RunWatched("paused", testing::freshScratchFolder() + "run.log"), 0);
}

}  // namespace
}  // namespace nimbra::win32
