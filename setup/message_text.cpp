#include "message_text.h"

#include <cstddef>
#include <vector>

#include "ansi_path.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel::setup {
namespace {

// Narrow enough for a message box on the smallest screen Windows runs on.
constexpr std::size_t kLineWidth = 64;
// Paths up to this length are shown whole: every path that is just too long.
constexpr std::size_t kLongestPathShownWhole = 320;
constexpr std::size_t kLinesShownAtEachEnd = 2;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::string ShownPath(const std::string& path) {
  const std::string broken = BrokenIntoLines(path, kLineWidth);
  const std::vector<std::string> lines = Lines(broken);
  if (path.size() <= kLongestPathShownWhole || lines.size() <= 2 * kLinesShownAtEachEnd + 1) {
    return broken;
  }
  std::string shown;
  for (std::size_t i = 0; i < kLinesShownAtEachEnd; ++i) shown += lines[i] + "\n";
  shown += "...";
  for (std::size_t i = lines.size() - kLinesShownAtEachEnd; i < lines.size(); ++i) {
    shown += "\n" + lines[i];
  }
  return shown;
}

std::string SystemErrorText(DWORD error) {
  LocalMemory<char> buffer;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
  std::string text = length > 0 && buffer ? std::string(buffer.get(), length) : std::string();
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  return MessageBoxA(owner, text.c_str(), kMessageCaption, type | MB_SETFOREGROUND);
}

}  // namespace ondrel::setup
