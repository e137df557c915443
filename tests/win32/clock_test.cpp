#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

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

TEST(Clock, LocalTimeIsTheSystemsLocalTimeWithAWholeMinuteOffset) {
  Win32Clock clock;
  SYSTEMTIME before{};
  ::GetLocalTime(&before);
  const platform::LocalTime now = clock.localTime();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_EQ(now.day, before.wDay);
  EXPECT_LE(std::abs(now.hour * 60 + now.minute - (before.wHour * 60 + before.wMinute)), 1);
  EXPECT_LE(std::abs(now.utcOffsetMinutes), 14 * 60);
  EXPECT_EQ(now.utcOffsetMinutes % 15, 0);
}

}  // namespace
}  // namespace nimbra::win32
