#pragma once
// Realistic databases for the benchmarks: years of notes, logins and
// contacts, made reproducibly from a seed.

#include <cstddef>
#include <cstdint>

#include "organiser/store/text.h"

namespace ondrel::bench {

struct SampleCounts {
  std::size_t notes = 0;
  std::size_t passwords = 0;
  std::size_t phones = 0;
};

// About half notes, a quarter each of password and phone entries.
SampleCounts SplitSampleCounts(std::size_t documents);

// Writes a database of the given counts to path through the store itself,
// so the file is exactly what the organiser writes. Returns false when the
// file could not be written.
bool WriteSampleDatabase(const Text& path, const SampleCounts& counts, std::uint32_t seed);

}  // namespace ondrel::bench
