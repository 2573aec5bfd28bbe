#pragma once
// UTF-16 little-endian file bytes to and from code units, the same on any
// host byte order.

#include <cstddef>
#include <vector>

#include "organiser/store/text.h"

namespace ondrel {

// Code units of little-endian bytes; a last odd byte is left out.
Text TextFromLittleEndian(const unsigned char* bytes, std::size_t size);

// Little-endian bytes of text.
std::vector<unsigned char> LittleEndianBytes(TextView text);

// True when char16_t is stored little-endian here, so a text's memory is
// already its file bytes.
bool HostIsLittleEndian();

}  // namespace ondrel
