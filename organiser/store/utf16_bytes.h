#pragma once
// UTF-16 code units to and from little-endian file bytes, the same on any
// host byte order: the one place the database file, the language file and
// the tests convert. On a little-endian host both directions are a plain
// copy.

#include <cstddef>
#include <vector>

#include "organiser/store/text.h"

namespace ondrel {

// Writes the 2 * text.size() little-endian bytes of text to out.
void EncodeLittleEndian(TextView text, unsigned char* out);

// Reads units code units from 2 * units little-endian bytes into out. out
// may be the very memory of bytes (a file read into its own units buffer
// is put in host order in place); other overlaps are not allowed.
void DecodeLittleEndian(const unsigned char* bytes, std::size_t units, char16_t* out);

// The little-endian bytes of text.
std::vector<unsigned char> LittleEndianBytes(TextView text);

// The text of little-endian bytes; an odd last byte is left out.
Text TextOfLittleEndianBytes(const std::vector<unsigned char>& bytes);

// True when char16_t is stored little-endian here, so a text's memory is
// already its file bytes.
bool HostIsLittleEndian();

}  // namespace ondrel
