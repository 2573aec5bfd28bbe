#pragma once
// A folder of its own for a test on the real file system, removed with
// everything in it when the test ends.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "organiser/store/text.h"

namespace ondrel::testing {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("ondrel-store-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Full path of a file in the folder, as the store takes paths.
  Text File(const std::string& name) const { return (path_ / name).u16string(); }
  bool Exists(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace ondrel::testing
