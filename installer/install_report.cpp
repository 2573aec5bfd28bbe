#include "install_report.h"

namespace ondrel::installer {

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
