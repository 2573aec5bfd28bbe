// Writes a realistic sample database: ondrel_sample_database DOCUMENTS PATH [SEED]
// About half notes, a quarter each of password and phone entries.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/sample_database.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DOCUMENTS PATH [SEED]\n", argv[0]);
    return 2;
  }
  const std::size_t documents = std::strtoul(argv[1], nullptr, 10);
  const std::string path = argv[2];
  const std::uint32_t seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 20241209;
  const ondrel::Text widePath(path.begin(), path.end());
  if (!ondrel::bench::WriteSampleDatabase(widePath, ondrel::bench::SplitSampleCounts(documents),
                                          seed)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
