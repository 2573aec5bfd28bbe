#include "install_report.h"

#include <cstddef>

#include "ansi_path.h"

namespace ondrel::installer {
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
  const std::string broken = setup::BrokenIntoLines(path, kLineWidth);
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

std::string MessageText(const InstallOutcome& outcome) {
  if (outcome.refusal) {
    return "Ondrel was not installed: nothing was changed.\n\n" + *outcome.refusal;
  }
  if (outcome.failures.empty()) return {};
  std::string text = "Ondrel could not be installed completely.\n";
  for (const std::string& failure : outcome.failures) text += "\n" + failure;
  if (!outcome.organiserInPlace) text += "\n\nNo shortcut was made and Ondrel was not started.";
  return text;
}

}  // namespace ondrel::installer
