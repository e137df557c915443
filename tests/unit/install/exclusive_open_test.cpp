// The retried exclusive open: its schedule, and which failures it waits out.
#include "install/exclusive_open.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

constexpr const char* kPack = "C:\\Nimbra\\dwix.cok";

TEST(ExclusiveOpen, LockViolationIsWaitedForLikeASharingViolation) {
  fake::FakeWorld world;
  world.files.addFile(kPack, "dwix&");
  world.faults.failNext(fake::Call::FileOpen, win::kErrorLockViolation);
  platform::OpenedFile opened = OpenExclusiveWithRetry(world.files, world.clock, kPack, RetryWhen::HeldByAnother);
  EXPECT_TRUE(opened.file);
  EXPECT_EQ(world.clock.sleeps, std::vector<std::uint32_t>{256});
}

TEST(ExclusiveOpen, HeldByAnotherStopsAtOnceForAMissingFile) {
  fake::FakeWorld world;
  world.files.addFolder("C:\\Nimbra");
  platform::OpenedFile opened = OpenExclusiveWithRetry(world.files, world.clock, kPack, RetryWhen::HeldByAnother);
  EXPECT_FALSE(opened.file);
  EXPECT_EQ(opened.error, win::kErrorFileNotFound);
  EXPECT_TRUE(world.clock.sleeps.empty());
}

TEST(ExclusiveOpen, AnyFailureRetriesAMissingFileOnTheFullSchedule) {
  fake::FakeWorld world;
  world.files.addFolder("C:\\Nimbra");
  platform::OpenedFile opened = OpenExclusiveWithRetry(world.files, world.clock, kPack, RetryWhen::AnyFailure);
  EXPECT_FALSE(opened.file);
  EXPECT_EQ(opened.error, win::kErrorFileNotFound);
  EXPECT_EQ(world.clock.sleeps, std::vector<std::uint32_t>(17, 256));
  EXPECT_EQ(world.files.log().size(), 17u);
}

TEST(ExclusiveOpen, FileThatAppearsDuringTheWaitIsOpened) {
  fake::FakeWorld world;
  world.files.addFolder("C:\\Nimbra");
  world.clock.onSleep = [&] {
    if (world.clock.nowMs == 256 * 5) world.files.addFile(kPack, "dwix&");
  };
  platform::OpenedFile opened = OpenExclusiveWithRetry(world.files, world.clock, kPack, RetryWhen::AnyFailure);
  EXPECT_TRUE(opened.file);
  EXPECT_EQ(world.clock.sleeps.size(), 5u);
  EXPECT_EQ(world.files.log().back(), "c:\\nimbra\\dwix.cok read share=0 open-existing");
}

}  // namespace
}  // namespace nimbra
