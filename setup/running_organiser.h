// The running organiser, which the setup programs wait for: while it runs,
// its program cannot be replaced or deleted, and its next save would write a
// database into a folder that is being removed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ondrel::setup {

// The organiser's single-instance mutex: it exists while any copy runs.
inline constexpr const wchar_t* kOrganiserMutexName = L"Ondrel-088FA840";

// True while a copy of the organiser runs (or its mutex cannot be told apart
// from a running copy's): the mutex called mutexName opens, or exists but
// does not open for this user.
bool OrganiserRuns(const wchar_t* mutexName = kOrganiserMutexName);

// Asks the user the question text with Retry and Cancel; answers IDRETRY,
// IDCANCEL, or anything else when no box could be shown (MessageBox's 0).
using RetryQuestion = std::function<int(const std::wstring& text)>;

// For as long as the organiser runs, asks the user through ask to close it
// first; cancelMeans says what Cancel does. True once no copy runs; false
// when the user chose Cancel or the question could not be asked.
bool OrganiserClosed(const std::wstring& cancelMeans, const RetryQuestion& ask,
                     const wchar_t* mutexName = kOrganiserMutexName);

// OrganiserClosed asking in a Retry/Cancel box (caption "Ondrel", owned by
// owner, which may be null).
bool OrganiserClosed(HWND owner, const std::wstring& cancelMeans);

}  // namespace ondrel::setup
