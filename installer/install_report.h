// What the user is told after Agree.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ondrel::installer {

// The outcome of one installation.
struct InstallOutcome {
  // Why nothing at all was done, when that is so.
  std::optional<std::wstring> refusal;
  // The step that failed after changes had been made; those changes were
  // then taken back.
  std::optional<std::wstring> failure;
  // Each change that could not be taken back after a failure.
  std::vector<std::wstring> notUndone;
  // Why the installed organiser could not be started; the installation
  // itself is whole.
  std::optional<std::wstring> startFailure;

  bool Installed() const { return !refusal && !failure; }
};

// The text to show for an outcome; empty when all went well and nothing is
// to be said.
std::wstring MessageText(const InstallOutcome& outcome);

}  // namespace ondrel::installer
