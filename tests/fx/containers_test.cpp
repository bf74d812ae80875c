// GrowableBlock growth rule, HeapString editing, ItemList / OwnedList and the recursive SyncLock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fx/containers.h"
#include "fx/synclock.h"

namespace {

// Allocation chosen for a fresh block grown to `size` bytes.
int AllocatedFor(int granularity, int size) {
  GrowableBlock b(granularity);
  b.ChangeSize(size, false);
  EXPECT_EQ(b.Size(), size);
  return b.Allocated();
}

// ---------------------------------------------------------------- GrowableBlock

TEST(GrowableBlock, StartsWithoutAllocation) {
  GrowableBlock b(128);
  EXPECT_EQ(b.Data(), nullptr);
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Allocated(), 0);
}

TEST(GrowableBlock, SmallGranularityGrowsByHalfOrGranularity) {
  // size + max(size / 2, 128)
  EXPECT_EQ(AllocatedFor(128, 2), 130);
  EXPECT_EQ(AllocatedFor(128, 12), 140);
  EXPECT_EQ(AllocatedFor(128, 300), 450);
}

TEST(GrowableBlock, PageGranularityAllocationsArePageRoundedLess96) {
  EXPECT_EQ(AllocatedFor(4096, 8), 4000);
  EXPECT_EQ(AllocatedFor(4096, 72), 4000);
  EXPECT_EQ(AllocatedFor(4096, 4000), 8096);
  EXPECT_EQ(AllocatedFor(4096, 4001), 8096);
  EXPECT_EQ(AllocatedFor(4096, 10000), 12192);
}

TEST(GrowableBlock, PageGranularitySlackIsCappedAtFourMiB) {
  // Half of 20 MiB would be 10 MiB of slack; the cap keeps it at 4 MiB.
  EXPECT_EQ(AllocatedFor(4096, 20971520), 25165728);
  EXPECT_EQ(GrowableBlock::AllocationFor(20971520, 4096), 25165728);
}

TEST(GrowableBlock, GrowsOnlyWhenTheAllocationIsExceeded) {
  GrowableBlock b(128);
  ASSERT_NE(b.ChangeSize(1, false), nullptr);
  EXPECT_EQ(b.Allocated(), 129);
  static_cast<char*>(b.Data())[0] = 'k';

  b.ChangeSize(129, false);
  EXPECT_EQ(b.Size(), 129);
  EXPECT_EQ(b.Allocated(), 129);

  b.ChangeSize(130, false);
  EXPECT_EQ(b.Size(), 130);
  EXPECT_EQ(b.Allocated(), 258);
  EXPECT_EQ(static_cast<char*>(b.Data())[0], 'k');
}

TEST(GrowableBlock, NegativeSizeActsAsZero) {
  GrowableBlock kept(128);
  kept.ChangeSize(10, false);
  EXPECT_EQ(kept.ChangeSize(-5, false), nullptr);
  EXPECT_EQ(kept.Size(), 0);
  EXPECT_EQ(kept.Allocated(), 138);  // without shrinking the block stays
  EXPECT_EQ(kept.Data(), nullptr);

  GrowableBlock freed(128);
  freed.ChangeSize(10, false);
  EXPECT_EQ(freed.ChangeSize(-1, true), nullptr);
  EXPECT_EQ(freed.Size(), 0);
  EXPECT_EQ(freed.Allocated(), 0);
}

TEST(GrowableBlock, PageGranularityShrinksOnlyToZero) {
  // 4000 allocated: threshold = max(1, min(2000, 4000 - 4 x 4096)) = 1.
  GrowableBlock b(4096);
  b.ChangeSize(72, false);
  ASSERT_EQ(b.Allocated(), 4000);
  b.ChangeSize(1, true);
  EXPECT_EQ(b.Size(), 1);
  EXPECT_EQ(b.Allocated(), 4000);
  b.ChangeSize(0, true);
  EXPECT_EQ(b.Allocated(), 0);
}

TEST(GrowableBlock, ShrinkReallocatesOnlyBelowThreshold) {
  // 3000 bytes allocate 4500; threshold = max(1, min(2250, 4500 - 512)) = 2250.
  GrowableBlock b(128);
  b.ChangeSize(3000, false);
  ASSERT_EQ(b.Allocated(), 4500);
  b.ChangeSize(2500, true);
  EXPECT_EQ(b.Allocated(), 4500);
  b.ChangeSize(10, false);  // no shrink flag: the allocation stays
  EXPECT_EQ(b.Allocated(), 4500);
  b.ChangeSize(3000, false);
  b.ChangeSize(2000, true);  // below 2250: 2000 + 1000
  EXPECT_EQ(b.Size(), 2000);
  EXPECT_EQ(b.Allocated(), 3000);
}

TEST(GrowableBlock, OversizeRequestKeepsOldBlockAndSize) {
  GrowableBlock b(128);
  char* p = static_cast<char*>(b.ChangeSize(10, false));
  std::memcpy(p, "0123456789", 10);
  // 1.5e9 bytes would need an allocation of 2.25e9, beyond 31 bits.
  EXPECT_EQ(GrowableBlock::AllocationFor(1500000000, 128), -1);
  EXPECT_EQ(b.ChangeSize(1500000000, false), p);
  EXPECT_EQ(b.ChangeSize(INT32_MAX, false), p);
  EXPECT_EQ(b.Size(), 10);
  EXPECT_EQ(b.Allocated(), 138);
  EXPECT_EQ(std::memcmp(b.Data(), "0123456789", 10), 0);

  GrowableBlock empty(4096);
  EXPECT_EQ(empty.ChangeSize(INT32_MAX - 100, false), nullptr);
  EXPECT_EQ(empty.Size(), 0);
  EXPECT_EQ(empty.Allocated(), 0);
}

// ---------------------------------------------------------------- HeapString

TEST(HeapString, UnwrittenAndNullStringsReadEmptyWithoutBlock) {
  HeapString a;
  HeapString b(nullptr, 5);
  EXPECT_STREQ(a.Text(), "");
  EXPECT_STREQ(b.Text(), "");
  EXPECT_EQ(a.Allocated(), 0);
  EXPECT_EQ(b.Allocated(), 0);
  EXPECT_EQ(b.Length(), 0);
}

TEST(HeapString, ConstructorMaxLenLimitsTheCopy) {
  EXPECT_STREQ(HeapString("abc", 2).Text(), "ab");
  EXPECT_STREQ(HeapString("abc", 0).Text(), "abc");
  EXPECT_STREQ(HeapString("abc", -3).Text(), "abc");
  HeapString longer("abc", 10);  // stops at the NUL
  EXPECT_STREQ(longer.Text(), "abc");
  EXPECT_EQ(longer.BlockSize(), 4);
  EXPECT_EQ(longer.Allocated(), 132);
}

TEST(HeapString, WriteAtReplacesTailAndCutsWithoutShrinking) {
  HeapString s("abcdef");
  s.WriteAt(3, "xyz", 3);
  EXPECT_STREQ(s.Text(), "abcxyz");
  EXPECT_EQ(s.BlockSize(), 7);
  const int allocated = s.Allocated();
  s.WriteAt(1, "Q", 1);
  EXPECT_STREQ(s.Text(), "aQ");
  EXPECT_EQ(s.BlockSize(), 3);
  EXPECT_EQ(s.Allocated(), allocated);
}

TEST(HeapString, WriteAtIgnoresInvalidPositionsAndLengths) {
  HeapString s("abcdef");
  s.WriteAt(-1, "x", 1);
  s.WriteAt(2, "x", -1);
  s.WriteAt(2, "x", 0);  // zero length only empties at position 0
  s.WriteAt(7, "x", 1);  // beyond the text
  EXPECT_STREQ(s.Text(), "abcdef");
  EXPECT_EQ(s.BlockSize(), 7);
}

TEST(HeapString, ZeroLengthAtStartEmptiesTheString) {
  HeapString s("abcdef");
  s.WriteAt(0, "ignored", 0);
  EXPECT_STREQ(s.Text(), "");
  EXPECT_EQ(s.BlockSize(), 1);
}

TEST(HeapString, NullTextReservesCharacters) {
  HeapString s("ab");
  s.WriteAt(2, nullptr, 3);
  EXPECT_EQ(s.BlockSize(), 6);
  EXPECT_EQ(s.Length(), 5);
  EXPECT_EQ(s.Text()[0], 'a');
  EXPECT_EQ(s.Text()[1], 'b');
  EXPECT_EQ(s.Text()[5], '\0');
}

TEST(HeapString, WriteFromOwnTextSurvivesBlockMove) {
  // 200 characters allocate 329 bytes; appending them to themselves needs 401, so the block grows.
  const std::string base(200, 'r');
  HeapString s(base.c_str());
  ASSERT_EQ(s.Allocated(), 329);
  s.WriteAt(200, s.Text(), 200);
  EXPECT_EQ(std::string(s.Text()), base + base);
  EXPECT_EQ(s.Length(), 400);
}

TEST(HeapString, FormatCutsToMaxLen) {
  HeapString s;
  s.Format(4, "%d", 123456);
  EXPECT_STREQ(s.Text(), "1234");
  EXPECT_EQ(s.BlockSize(), 5);
  s.Format(4, "%s", "abcd");
  EXPECT_STREQ(s.Text(), "abcd");
  s.Format(0, "%d", 7);
  EXPECT_STREQ(s.Text(), "");
  EXPECT_EQ(s.BlockSize(), 1);
}

TEST(HeapString, FormatSizesToTextButKeepsAllocation) {
  HeapString s;
  s.Format(100, "%s-%d", "gain", 42);
  EXPECT_STREQ(s.Text(), "gain-42");
  EXPECT_EQ(s.BlockSize(), 8);
  EXPECT_EQ(s.Allocated(), 101 + 128);  // sized for maxLen + 1 first
}

// ---------------------------------------------------------------- ItemList / OwnedList

TEST(ItemList, AtReturnsNullOutsideTheList) {
  ItemList list;
  EXPECT_EQ(list.At(0), nullptr);
  int a = 1, b = 2;
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0), &a);
  EXPECT_EQ(list.At(1), &b);
  EXPECT_EQ(list.At(2), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);
}

TEST(ItemList, InsertClampsIndexAndShiftsEntries) {
  ItemList list;
  int v[4] = {};
  list.Add(&v[0]);
  list.Add(&v[1]);
  ASSERT_TRUE(list.Insert(1, &v[2]));   // middle
  ASSERT_TRUE(list.Insert(99, &v[3]));  // past the end: appended
  int front = 0;
  ASSERT_TRUE(list.Insert(-4, &front));  // negative: at the front
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.At(0), &front);
  EXPECT_EQ(list.At(1), &v[0]);
  EXPECT_EQ(list.At(2), &v[2]);
  EXPECT_EQ(list.At(3), &v[1]);
  EXPECT_EQ(list.At(4), &v[3]);
}

struct Tracked {
  Tracked(int id, std::vector<int>* log) : id(id), log(log) {}
  ~Tracked() { log->push_back(id); }
  int id;
  std::vector<int>* log;
};

TEST(OwnedList, DeleteAtDestroysEntryAndMovesLaterOnesDown) {
  std::vector<int> destroyed;
  OwnedList<Tracked> list;
  for (int i = 0; i < 3; ++i) list.Add(new Tracked(i, &destroyed));
  list.DeleteAt(3);
  list.DeleteAt(-1);
  EXPECT_TRUE(destroyed.empty());
  EXPECT_EQ(list.Count(), 3);
  list.DeleteAt(1);
  EXPECT_EQ(destroyed, std::vector<int>({1}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0)->id, 0);
  EXPECT_EQ(list.At(1)->id, 2);
}

TEST(OwnedList, DeleteAllDestroysFromLastToFirst) {
  std::vector<int> destroyed;
  OwnedList<Tracked> list;
  for (int i = 0; i < 4; ++i) list.Add(new Tracked(i, &destroyed));
  list.DeleteAll();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(destroyed, std::vector<int>({3, 2, 1, 0}));
}

// ---------------------------------------------------------------- SyncLock

TEST(SyncLock, OwningThreadCanEnterAgain) {
  SyncLock lock;
  lock.Enter();
  lock.Enter();
  {
    SyncLockScope inner(&lock);
  }
  lock.Leave();
  lock.Leave();
  // Fully released: another thread gets in.
  std::thread other([&] {
    lock.Enter();
    lock.Leave();
  });
  other.join();
}

TEST(SyncLock, OtherThreadWaitsUntilEveryEntryIsLeft) {
  SyncLock lock;
  std::atomic<bool> entered{false};
  lock.Enter();
  lock.Enter();
  lock.Leave();  // still held once
  std::thread other([&] {
    lock.Enter();
    entered = true;
    lock.Leave();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered.load());
  lock.Leave();
  other.join();
  EXPECT_TRUE(entered.load());
}

}  // namespace
