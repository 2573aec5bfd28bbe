#pragma once
// The local clock behind a small seam: the platform's clock in the program,
// a fixed one in tests and benchmarks.

#include <memory>

namespace ondrel {

struct LocalTime {
  int year = 0;
  int month = 0;   // 1 to 12
  int day = 0;     // 1 to 31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time.
  virtual LocalTime Now() const = 0;
};

// A clock that shows whatever time it was last set to.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(LocalTime time) : time_(time) {}
  LocalTime Now() const override { return time_; }
  void Set(LocalTime time) { time_ = time; }

 private:
  LocalTime time_;
};

}  // namespace ondrel
