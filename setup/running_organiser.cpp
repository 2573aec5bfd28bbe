#include "running_organiser.h"

#include "message_text.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel::setup {

bool OrganiserRuns(const wchar_t* mutexName) {
  const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, mutexName));
  if (mutex) return true;
  // Access denied means the mutex exists (another user's copy, or one with
  // higher rights): only "not found" says that no copy runs.
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool OrganiserClosed(const std::wstring& cancelMeans, const RetryQuestion& ask,
                     const wchar_t* mutexName) {
  const std::wstring text =
      L"Ondrel is running. Please close Ondrel first, then click Retry.\n\n" + cancelMeans;
  while (OrganiserRuns(mutexName)) {
    // An answer that is no Retry (0: no box could be shown) counts as
    // Cancel: nothing may go ahead unseen, nor wait for an answer that
    // never comes.
    if (ask(text) != IDRETRY) return false;
  }
  return true;
}

bool OrganiserClosed(HWND owner, const std::wstring& cancelMeans) {
  return OrganiserClosed(cancelMeans, [owner](const std::wstring& text) {
    return ShowMessage(owner, text, MB_RETRYCANCEL | MB_ICONWARNING);
  });
}

}  // namespace ondrel::setup
