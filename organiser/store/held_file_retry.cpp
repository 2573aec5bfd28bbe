#include "organiser/store/held_file_retry.h"

namespace ondrel {
namespace {

constexpr unsigned kFirstPauseMs = 10;
constexpr unsigned kLongestPauseMs = 250;

unsigned GrowingPause(unsigned retry) {
  unsigned pause = kFirstPauseMs;
  for (unsigned i = 1; i < retry && pause < kLongestPauseMs; ++i) pause *= 2;
  return pause < kLongestPauseMs ? pause : kLongestPauseMs;
}

}  // namespace

unsigned HeldFilePause(unsigned retry) {
  if (retry == 0) return 0;
  unsigned waited = 0;
  for (unsigned i = 1; i < retry; ++i) {
    waited += GrowingPause(i);
    if (waited >= kHeldFilePatienceMs) return 0;
  }
  return GrowingPause(retry);
}

TryOutcome RetryWhileHeld(const std::function<TryOutcome()>& attempt,
                          const std::function<void(unsigned ms)>& pause) {
  for (unsigned retry = 1;; ++retry) {
    const TryOutcome outcome = attempt();
    if (outcome != TryOutcome::kHeld) return outcome;
    const unsigned wait = HeldFilePause(retry);
    if (wait == 0) return outcome;
    pause(wait);
  }
}

}  // namespace ondrel
