#include <gtest/gtest.h>

#include "platform/win32/win32_clock.h"

namespace nimbra::win32 {
namespace {

TEST(Clock, SleepLetsBothClocksAdvance) {
  Win32Clock clock;
  const auto counterBefore = clock.performanceCounter();
  const std::uint32_t ticksBefore = clock.tickCount();
  clock.sleep(100);
  const auto counterAfter = clock.performanceCounter();
  ASSERT_TRUE(counterBefore && counterAfter);
  EXPECT_GT(*counterAfter, *counterBefore);
  // Tick granularity is up to 16 ms on Windows.
  EXPECT_GE(clock.tickCount() - ticksBefore, 84u);
}

}  // namespace
}  // namespace nimbra::win32
