#pragma once
// The platform's side of the store's seam: the real files and the real
// clock (Win32 on Windows, POSIX elsewhere). Only the program's entry point,
// tests and benchmarks make them; the store sees the seam's interfaces only.

#include <memory>

#include "organiser/store/clock.h"
#include "organiser/store/file_system.h"

namespace ondrel {

// The platform's files.
std::unique_ptr<FileSystem> NewPlatformFileSystem();

// The platform's local clock (GetLocalTime on Windows, localtime_r elsewhere).
std::unique_ptr<Clock> NewPlatformClock();

}  // namespace ondrel
