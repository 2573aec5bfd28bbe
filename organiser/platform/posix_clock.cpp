// The local clock on POSIX systems.

#include <ctime>

#include "organiser/platform/platform.h"
#include "organiser/store/clock.h"

namespace ondrel {
namespace {

class PosixClock final : public Clock {
 public:
  LocalTime Now() const override {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    LocalTime time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    return time;
  }
};

}  // namespace

std::unique_ptr<Clock> NewPlatformClock() { return std::make_unique<PosixClock>(); }

}  // namespace ondrel
