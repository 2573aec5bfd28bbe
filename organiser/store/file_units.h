#pragma once
// A whole UTF-16LE file held as code units. A file system fills it through
// its byte view, so on a little-endian host the file's bytes land where the
// store reads them and no second copy of a large file is ever made.

#include <cstddef>
#include <memory>

#include "organiser/store/text.h"

namespace ondrel {

class FileUnits {
 public:
  FileUnits() = default;
  FileUnits(FileUnits&&) noexcept = default;
  FileUnits& operator=(FileUnits&&) noexcept = default;
  FileUnits(const FileUnits&) = delete;
  FileUnits& operator=(const FileUnits&) = delete;

  // The complete code units, in host order.
  TextView units() const { return TextView(units_.get(), count_); }
  // The file's last byte when its size is odd: half a unit, not in units().
  bool hasOddByte() const { return hasOddByte_; }
  unsigned char oddByte() const { return oddByte_; }

  // For file systems: storage for at least byteCount bytes, of which the
  // first keptBytes are carried over from before. Enlarging copies, so a
  // reader asks once for the size it expects. Throws std::bad_alloc.
  unsigned char* ReserveBytes(std::size_t byteCount, std::size_t keptBytes);
  std::size_t ByteCapacity() const { return capacityUnits_ * 2; }
  // For file systems: ends a fill of byteCount bytes (at most ByteCapacity()).
  // Puts the units in host order and sets a last odd byte aside.
  void FinishBytes(std::size_t byteCount);

 private:
  std::unique_ptr<char16_t[]> units_;
  std::size_t capacityUnits_ = 0;
  std::size_t count_ = 0;
  bool hasOddByte_ = false;
  unsigned char oddByte_ = 0;
};

}  // namespace ondrel
