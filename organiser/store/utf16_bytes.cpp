#include "organiser/store/utf16_bytes.h"

#include <cstdint>
#include <cstring>

namespace ondrel {

std::vector<unsigned char> LittleEndianBytes(TextView text) {
  std::vector<unsigned char> bytes(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(text[i] >> 8);
  }
  return bytes;
}

bool HostIsLittleEndian() {
  const std::uint16_t probe = 1;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

}  // namespace ondrel
