#include "organiser/store/utf16_bytes.h"

#include <cstdint>
#include <cstring>

namespace ondrel {

Text TextFromLittleEndian(const unsigned char* bytes, std::size_t size) {
  Text text(size / 2, u'\0');
  if (text.empty()) return text;
  if (HostIsLittleEndian()) {
    // The bytes already are the code units: one copy.
    std::memcpy(&text[0], bytes, text.size() * sizeof(char16_t));
    return text;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return text;
}

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
