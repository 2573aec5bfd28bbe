// The running organiser, which the setup programs wait for: while it runs,
// its program cannot be replaced or deleted, and its next save would write a
// database into a folder that is being removed.
#pragma once

#include <windows.h>

#include <string>

namespace ondrel::setup {

// The organiser's single-instance mutex: it exists while any copy runs.
inline constexpr const char* kOrganiserMutexName = "Ondrel-088FA840";

// True while a copy of the organiser runs (or its mutex cannot be told apart
// from a running copy's).
bool OrganiserRuns();

// For as long as the organiser runs, asks the user in a Retry/Cancel box
// (caption "Ondrel", owned by owner, which may be null) to close it first;
// cancelMeans says what Cancel does. True once no copy runs; false when the
// user chose Cancel or the box could not be shown.
bool OrganiserClosed(HWND owner, const std::string& cancelMeans);

}  // namespace ondrel::setup
