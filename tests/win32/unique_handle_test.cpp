// The handle owner closes exactly once, whatever path the handle takes.
#include <gtest/gtest.h>

#include <utility>

#include "platform/win32/handles.h"
#include "platform/win32/unique_handle.h"

namespace nimbra::win32 {
namespace {

// A "handle" that counts its own closes; null is none.
struct Counter {
  int closes = 0;
};
struct CounterTraits {
  using Type = Counter*;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type counter) noexcept { ++counter->closes; }
};
using UniqueCounter = UniqueAny<CounterTraits>;

TEST(UniqueHandle, ClosesOnceWhenDestroyed) {
  Counter counter;
  { const UniqueCounter owner(&counter); }
  EXPECT_EQ(counter.closes, 1);
}

TEST(UniqueHandle, MovedFromOwnerNoLongerCloses) {
  Counter counter;
  {
    UniqueCounter first(&counter);
    const UniqueCounter second(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_TRUE(second.valid());
  }
  EXPECT_EQ(counter.closes, 1);
}

TEST(UniqueHandle, MoveAssignmentClosesWhatTheTargetHeld) {
  Counter held, incoming;
  {
    UniqueCounter target(&held);
    UniqueCounter source(&incoming);
    target = std::move(source);
    EXPECT_EQ(held.closes, 1);
    EXPECT_EQ(incoming.closes, 0);
  }
  EXPECT_EQ(incoming.closes, 1);
}

TEST(UniqueHandle, ReleaseGivesUpOwnershipWithoutClosing) {
  Counter counter;
  {
    UniqueCounter owner(&counter);
    EXPECT_EQ(owner.release(), &counter);
  }
  EXPECT_EQ(counter.closes, 0);
}

TEST(UniqueHandle, PutClosesTheOldHandleBeforeItIsOverwritten) {
  Counter old, fresh;
  UniqueCounter owner(&old);
  *owner.put() = &fresh;
  EXPECT_EQ(old.closes, 1);
  owner.reset();
  EXPECT_EQ(fresh.closes, 1);
  owner.reset();
  EXPECT_EQ(fresh.closes, 1);
}

TEST(UniqueHandle, FileAndFindOwnersTreatInvalidHandleValueAsEmpty) {
  EXPECT_FALSE(UniqueFile(INVALID_HANDLE_VALUE).valid());
  EXPECT_FALSE(UniqueFind(INVALID_HANDLE_VALUE).valid());
  EXPECT_FALSE(UniqueHandle(nullptr).valid());
  EXPECT_FALSE(UniqueKey(nullptr).valid());
  EXPECT_FALSE(UniqueFile().valid());
}

}  // namespace
}  // namespace nimbra::win32
