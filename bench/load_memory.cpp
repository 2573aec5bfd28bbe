// Peak resident memory of loading a database, against the same program
// before it loads anything: ondrel_load_memory PATH
// Prints the file size, the peak before and after Load, and the growth as a
// multiple of the file size.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "organiser/platform/platform.h"
#include "organiser/store/database.h"

namespace {

// Peak resident set size of this process in KiB (VmHWM), or -1.
long PeakResidentKiB() {
  long kib = -1;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
      if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
  }
  return kib;
}

long FileSize(const std::string& path) {
  long size = -1;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fseek(file, 0, SEEK_END);
    size = std::ftell(file);
    std::fclose(file);
  }
  return size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  std::unique_ptr<ondrel::FileSystem> files = ondrel::NewPlatformFileSystem();
  ondrel::FixedClock clock(ondrel::LocalTime{2024, 3, 5, 9, 12});
  ondrel::Database database(*files, clock);

  const long before = PeakResidentKiB();
  database.Load(ondrel::Text(path.begin(), path.end()));
  const long after = PeakResidentKiB();
  const long size = FileSize(path);

  std::printf("documents loaded: %u\n", database.DocumentCount());
  std::printf("file size: %.1f MiB\n", size / 1048576.0);
  std::printf("peak resident before load: %.1f MiB, after: %.1f MiB\n", before / 1024.0,
              after / 1024.0);
  const double multiple = (after - before) * 1024.0 / static_cast<double>(size);
  std::printf("growth: %.2f x the file size (target at most 4 x): %s\n", multiple,
              multiple <= 4.0 ? "holds" : "MISSED");
  return 0;
}
