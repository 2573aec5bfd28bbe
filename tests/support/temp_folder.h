#pragma once
// A folder of its own for one test on the real file system (natively, and
// under Wine in the Windows build), removed with everything in it when the
// test ends. The one temporary-folder helper of the tests.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "organiser/store/text.h"

namespace ondrel::test {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("ondrel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder in the platform's text, with a separator at its end: the
  // form the organiser takes its program folder in.
  std::filesystem::path::string_type Prefix() const {
    return (path_ / std::filesystem::path()).native();
  }
  // A path in the folder in the platform's text (std::wstring on Windows).
  std::filesystem::path::string_type Native(const std::filesystem::path& name) const {
    return (path_ / name).native();
  }
  // A path in the folder as the store takes paths.
  Text File(const std::filesystem::path& name) const { return (path_ / name).u16string(); }
  bool Exists(const std::filesystem::path& name) const {
    return std::filesystem::exists(path_ / name);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace ondrel::test
