#include "message_text.h"

#include <cstddef>
#include <vector>

#include "organiser/win32/kernel_handle.h"
#include "wide_path.h"

namespace ondrel::setup {
namespace {

// Narrow enough for a message box on the smallest screen Windows runs on.
constexpr std::size_t kLineWidth = 64;
// Paths up to this length are shown whole: every path that is just too long.
constexpr std::size_t kLongestPathShownWhole = 320;
constexpr std::size_t kLinesShownAtEachEnd = 2;

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::wstring ShownPath(const std::wstring& path) {
  const std::wstring broken = BrokenIntoLines(path, kLineWidth);
  const std::vector<std::wstring> lines = Lines(broken);
  if (path.size() <= kLongestPathShownWhole || lines.size() <= 2 * kLinesShownAtEachEnd + 1) {
    return broken;
  }
  std::wstring shown;
  for (std::size_t i = 0; i < kLinesShownAtEachEnd; ++i) shown += lines[i] + L"\n";
  shown += L"...";
  for (std::size_t i = lines.size() - kLinesShownAtEachEnd; i < lines.size(); ++i) {
    shown += L"\n" + lines[i];
  }
  return shown;
}

std::wstring SystemErrorText(DWORD error) {
  LocalMemory<wchar_t> buffer;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
  std::wstring text = length > 0 && buffer ? std::wstring(buffer.get(), length) : std::wstring();
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) text = L"error " + std::to_wstring(error);
  return text;
}

int ShowMessage(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), kMessageCaption, type | MB_SETFOREGROUND);
}

}  // namespace ondrel::setup
