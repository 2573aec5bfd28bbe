#include "organiser/store/utf16_bytes.h"

#include <cstdint>
#include <cstring>

namespace ondrel {

Text TextFromLittleEndian(const unsigned char* bytes, std::size_t size) {
  if (size < 2) return Text();
  if (HostIsLittleEndian() && reinterpret_cast<std::uintptr_t>(bytes) % alignof(char16_t) == 0) {
    // The bytes already are the code units: one copy (a byte copy inside,
    // so the bytes are never read as char16_t objects).
    return Text(reinterpret_cast<const char16_t*>(bytes), size / 2);
  }
  Text text(size / 2, u'\0');
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
