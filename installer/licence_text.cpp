#include "licence_text.h"

#include <cstdio>
#include <memory>

namespace ondrel::installer {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string ReadLicenceText(const char* path) {
  const File file(std::fopen(path, "rb"));
  if (!file) return {};
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return {};
  const long size = std::ftell(file.get());
  if (size < 0 || size > kMaxLicenceBytes || std::fseek(file.get(), 0, SEEK_SET) != 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file.get()));
  return text;
}

}  // namespace ondrel::installer
