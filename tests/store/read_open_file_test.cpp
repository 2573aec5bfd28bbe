// The platforms' read loop, driven by a scripted file: reads that return
// fewer bytes than asked, a file longer than the size reported at opening,
// and a read error partway. What comes back is compared byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "organiser/store/file_system.h"

namespace ondrel::test {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr long long kError = -1;

// A file of size bytes whose reads return at most the next of chunks bytes
// each (the last repeats), or fail at the read numbered failAt (0: never).
struct ScriptedFile {
  Bytes content;
  std::vector<std::size_t> chunks;
  std::size_t failAt = 0;
  std::size_t offset = 0;
  std::size_t reads = 0;

  ReadChunk Reader() {
    return [this](unsigned char* storage, std::size_t room) -> long long {
      ++reads;
      if (reads == failAt) return kError;
      const std::size_t chunk = chunks[std::min(reads, chunks.size()) - 1];
      const std::size_t count = std::min({chunk, room, content.size() - offset});
      if (count > 0) std::memcpy(storage, content.data() + offset, count);
      offset += count;
      return static_cast<long long>(count);
    };
  }
};

Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return bytes;
}

struct Case {
  const char* what;
  std::size_t size;          // the file's real size
  std::size_t reportedSize;  // the size known at opening
  std::vector<std::size_t> chunks;
  std::size_t failAt;
};

const Case kCases[] = {
    {"one read", 1000, 1000, {1 << 30}, 0},
    {"empty", 0, 0, {1 << 30}, 0},
    {"short reads", 1001, 1001, {1, 2, 999, 7}, 0},
    {"one byte at a time", 37, 37, {1}, 0},
    {"longer than reported", 5, 2, {1 << 30}, 0},
    {"reported empty, holds more than two growth steps", 150001, 0, {4096}, 0},
    {"longer than reported, odd, short reads", 70001, 3, {65536, 3}, 0},
    {"an error at the first read", 100, 100, {1 << 30}, 1},
    {"an error partway", 1000, 1000, {100}, 4},
    {"an error after the reported size", 200000, 1000, {50000}, 3},
};

TEST(ReadOpenFileTest, ReadsEveryByteToTheRealEndOrFails) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const Bytes content = Pattern(c.size);
    const bool fails = c.failAt != 0;

    ScriptedFile byteFile{content, c.chunks, c.failAt};
    Bytes bytes = {9, 9, 9};
    EXPECT_EQ(ReadOpenFile(c.reportedSize, byteFile.Reader(), bytes), !fails);
    if (!fails) {
      EXPECT_EQ(bytes, content);
      EXPECT_EQ(byteFile.offset, c.size);
    }
    if (fails) {
      EXPECT_EQ(byteFile.reads, c.failAt);  // nothing read after the error
    }

    ScriptedFile unitFile{content, c.chunks, c.failAt};
    FileUnits units;
    EXPECT_EQ(ReadOpenFile(c.reportedSize, unitFile.Reader(), units), !fails);
    if (!fails) {
      Text expected;
      for (std::size_t i = 0; i + 1 < content.size(); i += 2) {
        expected.push_back(static_cast<char16_t>(content[i] | content[i + 1] << 8));
      }
      EXPECT_EQ(Text(units.units()), expected);
      EXPECT_EQ(units.hasOddByte(), c.size % 2 != 0);
      EXPECT_EQ(units.oddByte(), c.size % 2 != 0 ? content.back() : 0);
    }
  }
}

}  // namespace
}  // namespace ondrel::test
