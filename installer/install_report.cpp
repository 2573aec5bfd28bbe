#include "install_report.h"

namespace ondrel::installer {

std::string MessageText(const InstallOutcome& outcome) {
  if (outcome.refusal) {
    return "Ondrel was not installed: nothing was changed.\n\n" + *outcome.refusal;
  }
  if (outcome.failure) {
    std::string text = "Ondrel was not installed.\n\n" + *outcome.failure;
    if (outcome.notUndone.empty()) {
      return text + "\n\nEverything the installation had changed is back as it was before.";
    }
    text += "\n\nThe rest of the installation was taken back, but not these changes:";
    for (const std::string& change : outcome.notUndone) text += "\n" + change;
    return text;
  }
  if (outcome.startFailure) {
    return "Ondrel was installed, but it could not be started: " + *outcome.startFailure;
  }
  return {};
}

}  // namespace ondrel::installer
