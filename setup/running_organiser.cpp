#include "running_organiser.h"

#include "message_text.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel::setup {

bool OrganiserRuns() {
  const KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, kOrganiserMutexName));
  if (mutex) return true;
  // Access denied means the mutex exists (another user's copy, or one with
  // higher rights): only "not found" says that no copy runs.
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool OrganiserClosed(HWND owner, const std::string& cancelMeans) {
  const std::string text =
      "Ondrel is running. Please close Ondrel first, then click Retry.\n\n" + cancelMeans;
  while (OrganiserRuns()) {
    // 0 (no box could be shown) counts as Cancel: nothing may go ahead unseen.
    if (ShowMessage(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
      return false;
    }
  }
  return true;
}

}  // namespace ondrel::setup
