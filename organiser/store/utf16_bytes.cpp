#include "organiser/store/utf16_bytes.h"

#include <cstdint>
#include <cstring>

namespace ondrel {

void EncodeLittleEndian(TextView text, unsigned char* out) {
  if (text.empty()) return;
  if (HostIsLittleEndian()) {
    std::memcpy(out, text.data(), text.size() * sizeof(char16_t));
    return;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
    out[2 * i + 1] = static_cast<unsigned char>(text[i] >> 8);
  }
}

void DecodeLittleEndian(const unsigned char* bytes, std::size_t units, char16_t* out) {
  if (units == 0) return;
  if (HostIsLittleEndian()) {
    if (static_cast<const void*>(out) != bytes) std::memcpy(out, bytes, units * sizeof(char16_t));
    return;
  }
  // In place, unit i overwrites exactly the two bytes just read for it.
  for (std::size_t i = 0; i < units; ++i) {
    const unsigned char low = bytes[2 * i];
    const unsigned char high = bytes[2 * i + 1];
    out[i] = static_cast<char16_t>(low | (high << 8));
  }
}

std::vector<unsigned char> LittleEndianBytes(TextView text) {
  std::vector<unsigned char> bytes(text.size() * 2);
  EncodeLittleEndian(text, bytes.data());
  return bytes;
}

Text TextOfLittleEndianBytes(const std::vector<unsigned char>& bytes) {
  Text text(bytes.size() / 2, u'\0');
  DecodeLittleEndian(bytes.data(), text.size(), text.data());
  return text;
}

bool HostIsLittleEndian() {
  const std::uint16_t probe = 1;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

}  // namespace ondrel
