#include "install_report.h"

namespace ondrel::installer {

std::wstring MessageText(const InstallOutcome& outcome) {
  if (outcome.refusal) {
    return L"Ondrel was not installed: nothing was changed.\n\n" + *outcome.refusal;
  }
  if (outcome.failure) {
    std::wstring text = L"Ondrel was not installed.\n\n" + *outcome.failure;
    if (outcome.notUndone.empty()) {
      return text + L"\n\nEverything the installation had changed is back as it was before.";
    }
    text += L"\n\nThe rest of the installation was taken back, but not these changes:";
    for (const std::wstring& change : outcome.notUndone) text += L"\n" + change;
    return text;
  }
  if (outcome.startFailure) {
    return L"Ondrel was installed, but it could not be started: " + *outcome.startFailure;
  }
  return {};
}

}  // namespace ondrel::installer
