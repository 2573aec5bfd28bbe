// The local clock on Windows.

#include <windows.h>

#include "organiser/platform/platform.h"
#include "organiser/store/clock.h"

namespace ondrel {
namespace {

class Win32Clock final : public Clock {
 public:
  LocalTime Now() const override {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    LocalTime time;
    time.year = local.wYear;
    time.month = local.wMonth;
    time.day = local.wDay;
    time.hour = local.wHour;
    time.minute = local.wMinute;
    return time;
  }
};

}  // namespace

std::unique_ptr<Clock> NewPlatformClock() { return std::make_unique<Win32Clock>(); }

}  // namespace ondrel
