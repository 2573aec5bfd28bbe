#pragma once
// How long a file step is tried again while another program holds the file.
// Virus scanners, search indexers, backup and sync programs open a file that
// just changed, often without sharing, for a fraction of a second; a save
// that gave up at the first refusal would fail although the file is free
// again at once. The platform's file systems decide which refusals are such
// holds; this decides how often and how long to wait, the same for every
// step.

#include <functional>

namespace ondrel {

// What one try at a file step came to.
enum class TryOutcome {
  kDone,
  kHeld,    // refused because another program holds the file: worth waiting for
  kFailed,  // any other failure: waiting changes nothing
};

// About how long a hold is waited for before the step counts as failed.
constexpr unsigned kHeldFilePatienceMs = 2000;

// The pause before try number `retry` (1 for the first retry), in ms: growing
// from 10 ms to at most 250 ms, so that a short hold costs little and a long
// one is not hammered. 0 once the pauses so far reach kHeldFilePatienceMs:
// then no further try is made.
unsigned HeldFilePause(unsigned retry);

// Runs attempt until it is done or fails for a reason other than a hold, or
// until the pauses are used up; pause(ms) waits between tries. Returns the
// last try's outcome.
TryOutcome RetryWhileHeld(const std::function<TryOutcome()>& attempt,
                          const std::function<void(unsigned ms)>& pause);

}  // namespace ondrel
