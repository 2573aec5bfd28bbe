#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "organiser/store/ptr_array.h"

namespace ondrel::test {
namespace {

// Counts how many of its kind are alive, to see what an owning array frees.
struct Tracked {
  explicit Tracked(int& alive) : alive_(alive) { ++alive_; }
  ~Tracked() { --alive_; }
  int& alive_;
};

TEST(PtrArrayTest, GrowsBySixteenAndKeepsANullSlotAfterTheLast) {
  PtrArray<int> array;
  int values[40] = {};
  for (int i = 0; i < 15; ++i) array.Append(&values[i]);
  EXPECT_EQ(array.capacity(), 16u);
  array.Append(&values[15]);
  EXPECT_EQ(array.capacity(), 32u);
  for (std::uint32_t slot = 16; slot < 32; ++slot) EXPECT_EQ(array.slot(slot), nullptr);
  for (int i = 16; i < 40; ++i) array.Append(&values[i]);
  EXPECT_EQ(array.count(), 40u);
  EXPECT_EQ(array.slot(array.count()), nullptr);
  for (std::uint32_t i = 0; i < array.count(); ++i) EXPECT_EQ(array[i], &values[i]);
}

// The slot storage may come from memory used before: the new slots must be
// made null, not found null. (A block of the same size freed just before
// is what the allocator hands out next, garbage and all.)
TEST(PtrArrayTest, NewSlotsAreNullEvenInMemoryUsedBefore) {
  for (std::uint32_t size : {16u, 32u}) {
    void* used = std::malloc(size * sizeof(int*));
    ASSERT_NE(used, nullptr);
    std::memset(used, 0xAB, size * sizeof(int*));
    std::free(used);
    PtrArray<int> array;
    int value = 0;
    for (std::uint32_t i = 0; i + 1 < size; ++i) array.Append(&value);
    ASSERT_EQ(array.capacity(), size);
    for (std::uint32_t slot = size - 1; slot < size; ++slot) EXPECT_EQ(array.slot(slot), nullptr);
    array.Grow(size + 64);
    for (std::uint32_t slot = size - 1; slot < size + 64; ++slot) {
      EXPECT_EQ(array.slot(slot), nullptr) << "slot " << slot;
    }
  }
}

TEST(PtrArrayTest, OwningArrayFreesItsItemsBorrowingOneDoesNot) {
  int alive = 0;
  {
    PtrArray<Tracked> owning(Ownership::kOwns);
    for (int i = 0; i < 20; ++i) owning.Append(new Tracked(alive));
    EXPECT_EQ(alive, 20);
    owning.Clear();
    EXPECT_EQ(alive, 0);
    owning.Append(new Tracked(alive));
    EXPECT_EQ(owning.capacity(), 16u);
  }
  EXPECT_EQ(alive, 0);

  Tracked kept(alive);
  {
    PtrArray<Tracked> borrowing;
    borrowing.Append(&kept);
    borrowing.Clear();
    borrowing.Append(&kept);
  }
  EXPECT_EQ(alive, 1);
}

}  // namespace
}  // namespace ondrel::test
