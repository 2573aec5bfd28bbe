// Memory running out at any allocation of a load or a save: no crash, no
// leak (AddressSanitizer checks at exit), the file untouched, and a failure
// reported, never success. This program replaces the global operator new
// with one that can be told to fail the n-th allocation from now.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "tests/support/memory_file_system.h"

namespace {

// Allocations left until the one that fails; 0 fails none. One counter for
// the whole program, as operator new itself is one.
long allocationsUntilFailure = 0;
// Allocations made so far, failed ones included.
long allocationsMade = 0;

}  // namespace

void* operator new(std::size_t size) {
  ++allocationsMade;
  if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) throw std::bad_alloc();
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace ondrel::test {
namespace {

const Text kPath = u"ondrel.db";

const Text kThree =
    u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 "
    u"10:00</CreateDate><ModifyDate>01.02.2020 10:00</ModifyDate><Subject>note</Subject>"
    u"<Colour>red</Colour></Document><Document><DocumentType>PasswordDocument</DocumentType>"
    u"<Site>site</Site></Document><Document><DocumentType>PhoneDocument</DocumentType>"
    u"<LastName>Doe</LastName></Document></Database>";

// Allocations the last operation run below made.
long operationAllocations = 0;

// Runs operation with the n-th allocation failing; false when it made
// fewer than n allocations (so nothing failed).
template <typename Operation>
bool RunFailingAllocation(long n, Operation operation) {
  allocationsUntilFailure = n;
  const long before = allocationsMade;
  operation();
  operationAllocations = allocationsMade - before;
  const bool failed = n > 0 && allocationsUntilFailure == 0;
  allocationsUntilFailure = 0;
  return failed;
}

// Loads kThree with the n-th allocation failing; false when nothing failed.
bool LoadFailingAllocation(long n) {
  FixedClock clock({2024, 3, 5, 9, 7});
  const MemoryFileSystem::Bytes old = LittleEndianBytes(kThree);
  MemoryFileSystem files;
  files.Put(kPath, old);
  Database database(files, clock);
  LoadResult result;
  const bool failed = RunFailingAllocation(n, [&] { result = database.Load(kPath); });
  if (!failed) {
    EXPECT_EQ(result.status, LoadResult::Status::kRead);
    EXPECT_EQ(database.DocumentCount(), 3u);
    return false;
  }
  // Nothing read is kept: a save of part of the file would lose the rest.
  EXPECT_EQ(result.status, LoadResult::Status::kCouldNotRead) << "allocation " << n;
  EXPECT_EQ(database.DocumentCount(), 0u) << "allocation " << n;
  EXPECT_FALSE(database.Save(nullptr));
  EXPECT_EQ(files.Contents(kPath), old);
  EXPECT_EQ(files.FileCount(), 1u);
  return true;
}

TEST(AllocationFailureTest, ALoadThatRunsOutOfMemoryCouldNotReadAndRefusesToSave) {
  // First as at the program's start, when the kinds build their tables of
  // tags during the first load: a failure there must be survived too. Once
  // they are built, later loads make fewer allocations, so this pass ends
  // before it reaches the end of a load.
  long n = 1;
  while (LoadFailingAllocation(n)) ++n;

  // Then, the tables built, every allocation of a whole load in turn.
  EXPECT_FALSE(LoadFailingAllocation(0));
  const long perLoad = operationAllocations;
  EXPECT_GT(perLoad, 10) << "the failing operator new is not the one in use";
  for (n = 1; n <= perLoad; ++n) {
    ASSERT_TRUE(LoadFailingAllocation(n)) << "allocation " << n << " of " << perLoad;
  }
}

TEST(AllocationFailureTest, ASaveThatRunsOutOfMemoryFailsAndLeavesTheFile) {
  FixedClock clock({2024, 3, 5, 9, 7});
  const MemoryFileSystem::Bytes old = LittleEndianBytes(kThree);
  for (long n = 1;; ++n) {
    MemoryFileSystem files;
    files.Put(kPath, old);
    Database database(files, clock);
    ASSERT_EQ(database.Load(kPath).status, LoadResult::Status::kRead);
    auto* note = static_cast<NoteDocument*>(database.DocumentAt(0));
    note->SetField(note->body(), TextView(u"a body long enough not to fit in place"));
    bool saved = false;
    const bool failed = RunFailingAllocation(n, [&] { saved = database.Save(note); });
    if (!failed) {
      EXPECT_TRUE(saved);
      EXPECT_NE(files.Contents(kPath), old);
      EXPECT_GT(n, 10) << "the failing operator new is not the one in use";
      break;
    }
    ASSERT_FALSE(saved) << "allocation " << n;
    EXPECT_TRUE(note->IsDirty());
    EXPECT_EQ(files.Contents(kPath), old);
    EXPECT_EQ(files.FileCount(), 1u);
    // With memory back, the same save goes through.
    EXPECT_TRUE(database.Save(note));
    EXPECT_FALSE(note->IsDirty());
  }
}

}  // namespace
}  // namespace ondrel::test
