#include "licence_text.h"

#include <cstdio>

#include "organiser/win32/unique_handle.h"

namespace ondrel::installer {
namespace {

struct StdioFileTraits {
  using Handle = std::FILE*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle file) { std::fclose(file); }
};
using File = UniqueHandle<StdioFileTraits>;

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
