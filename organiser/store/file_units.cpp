#include "organiser/store/file_units.h"

#include <algorithm>
#include <cstring>

#include "organiser/store/utf16_bytes.h"

namespace ondrel {

unsigned char* FileUnits::ReserveBytes(std::size_t byteCount, std::size_t keptBytes) {
  const std::size_t unitsNeeded = byteCount / 2 + byteCount % 2;
  if (unitsNeeded > capacityUnits_ || !units_) {
    // Left uninitialised on purpose: the reader overwrites what it uses, and
    // zero-filling a large file's worth of memory first would cost a pass.
    std::unique_ptr<char16_t[]> grown(new char16_t[std::max<std::size_t>(unitsNeeded, 1)]);
    keptBytes = std::min(keptBytes, capacityUnits_ * 2);
    if (keptBytes > 0) std::memcpy(grown.get(), units_.get(), keptBytes);
    units_ = std::move(grown);
    capacityUnits_ = std::max<std::size_t>(unitsNeeded, 1);
  }
  count_ = 0;
  hasOddByte_ = false;
  return reinterpret_cast<unsigned char*>(units_.get());
}

void FileUnits::FinishBytes(std::size_t byteCount) {
  byteCount = std::min(byteCount, capacityUnits_ * 2);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(units_.get());
  count_ = byteCount / 2;
  hasOddByte_ = byteCount % 2 != 0;
  oddByte_ = hasOddByte_ ? bytes[byteCount - 1] : 0;
  DecodeLittleEndian(bytes, count_, units_.get());
}

}  // namespace ondrel
