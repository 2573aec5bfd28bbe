#include "organiser/store/file_units.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/memory_file_system.h"

namespace ondrel::test {
namespace {

using Bytes = std::vector<unsigned char>;

// What any reader must make of a file's bytes: little-endian pairs as
// units, a last odd byte set aside.
struct ExpectedUnits {
  Text units;
  bool hasOddByte;
  unsigned char oddByte;
};

ExpectedUnits Expect(const Bytes& bytes) {
  ExpectedUnits expected{Text(), bytes.size() % 2 != 0, 0};
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    expected.units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
  }
  if (expected.hasOddByte) expected.oddByte = bytes.back();
  return expected;
}

void ExpectUnits(const FileUnits& read, const Bytes& bytes) {
  const ExpectedUnits expected = Expect(bytes);
  EXPECT_EQ(Text(read.units()), expected.units);
  EXPECT_EQ(read.hasOddByte(), expected.hasOddByte);
  EXPECT_EQ(read.oddByte(), expected.oddByte);
}

const Bytes kFiles[] = {
    {},
    {0x3C},
    {0x3C, 0x00},
    {0xFF, 0xFE, 0x3C, 0x00, 0xAC, 0x20, 0x7A},
    {0x00, 0xD8, 0x3C, 0x00, 0x26, 0x00},
};

TEST(FileUnitsTest, AnyFileSystemReadsLittleEndianUnitsAndSetsAnOddByteAside) {
  MemoryFileSystem files;
  for (const Bytes& bytes : kFiles) {
    files.Put(u"file", bytes);
    FileUnits read;
    // The seam's own way, through ReadAll, and the memory files' own.
    ASSERT_TRUE(files.FileSystem::ReadAllUnits(u"file", read).read());
    ExpectUnits(read, bytes);
    ASSERT_TRUE(files.ReadAllUnits(u"file", read).read());
    ExpectUnits(read, bytes);
  }
  FileUnits read;
  EXPECT_FALSE(files.FileSystem::ReadAllUnits(u"missing", read).read());
  EXPECT_EQ(files.ReadAllUnits(u"missing", read).status, ReadResult::Status::kNoFile);
  // The seam's own way cannot tell why ReadAll failed: a file that is there
  // but cannot be read must never pass for a missing one (a store would
  // then write over it).
  files.MakeUnreadable(u"file");
  EXPECT_EQ(files.FileSystem::ReadAllUnits(u"file", read).status, ReadResult::Status::kFailed);
  EXPECT_EQ(files.ReadAllUnits(u"file", read).status, ReadResult::Status::kFailed);
}

// A reader that finds more bytes than the size it expected enlarges the
// storage; what it had read must survive that, odd byte included.
TEST(FileUnitsTest, EnlargingKeepsTheBytesReadSoFar) {
  const Bytes bytes = {0x41, 0x00, 0x42, 0x00, 0x43};
  FileUnits units;
  unsigned char* storage = units.ReserveBytes(3, 0);
  ASSERT_GE(units.ByteCapacity(), 3u);
  std::memcpy(storage, bytes.data(), 3);
  storage = units.ReserveBytes(bytes.size(), 3);
  ASSERT_GE(units.ByteCapacity(), bytes.size());
  std::memcpy(storage + 3, bytes.data() + 3, bytes.size() - 3);
  units.FinishBytes(bytes.size());
  ExpectUnits(units, bytes);

  // A fill of more bytes than the storage holds ends at its capacity.
  units.FinishBytes(units.ByteCapacity() + 10);
  EXPECT_LE(units.units().size() * 2 + (units.hasOddByte() ? 1 : 0), units.ByteCapacity());
}

}  // namespace
}  // namespace ondrel::test
