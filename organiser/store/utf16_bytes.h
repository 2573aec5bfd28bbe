#pragma once
// Code units to UTF-16 little-endian file bytes, the same on any host byte
// order (file_units.h reads such bytes back into units).

#include <cstddef>
#include <vector>

#include "organiser/store/text.h"

namespace ondrel {

// Little-endian bytes of text.
std::vector<unsigned char> LittleEndianBytes(TextView text);

// True when char16_t is stored little-endian here, so a text's memory is
// already its file bytes.
bool HostIsLittleEndian();

}  // namespace ondrel
