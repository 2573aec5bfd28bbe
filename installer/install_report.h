// What the user is told after Agree.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ondrel::installer {

// The outcome of one installation.
struct InstallOutcome {
  // Why nothing at all was done, when that is so.
  std::optional<std::string> refusal;
  // Each step that failed, as a sentence, in the order the steps ran.
  std::vector<std::string> failures;
  // False when "ondrel.exe" could not be put in place: then no shortcut was
  // made and the organiser was not started.
  bool organiserInPlace = true;
};

// Caption of the installer's message box.
inline constexpr const char* kMessageCaption = "Ondrel";

// A path as a message shows it: in lines of at most 64 characters, and a path
// of more than 320 characters by its first two and last two lines, where the
// user can tell which path it is.
std::string ShownPath(const std::string& path);

// The text to show for an outcome; empty when all went well and nothing is
// to be said.
std::string MessageText(const InstallOutcome& outcome);

}  // namespace ondrel::installer
