// How a file step that another program refuses is tried again: only a hold
// is waited for, with growing pauses that end after about two seconds.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "organiser/store/held_file_retry.h"

namespace ondrel::test {
namespace {

struct Case {
  const char* what;
  std::vector<TryOutcome> tries;  // what each try comes to, in turn; kHeld after the last
  TryOutcome outcome;
  std::size_t triesMade;
};

const Case kCases[] = {
    {"done at once", {TryOutcome::kDone}, TryOutcome::kDone, 1},
    {"another failure is not waited for", {TryOutcome::kFailed}, TryOutcome::kFailed, 1},
    {"a short hold, then done",
     {TryOutcome::kHeld, TryOutcome::kHeld, TryOutcome::kDone},
     TryOutcome::kDone, 3},
    {"a hold, then another failure",
     {TryOutcome::kHeld, TryOutcome::kFailed},
     TryOutcome::kFailed, 2},
    {"a hold that never ends", {}, TryOutcome::kHeld, 13},
};

class HeldFileRetryTest : public ::testing::TestWithParam<Case> {};

TEST_P(HeldFileRetryTest, WaitsOnlyForAHoldAndNotForever) {
  const Case& c = GetParam();
  std::size_t made = 0;
  std::vector<unsigned> pauses;
  const TryOutcome outcome = RetryWhileHeld(
      [&]() {
        const TryOutcome next = made < c.tries.size() ? c.tries[made] : TryOutcome::kHeld;
        ++made;
        return next;
      },
      [&](unsigned ms) { pauses.push_back(ms); });
  EXPECT_EQ(outcome, c.outcome);
  EXPECT_EQ(made, c.triesMade);
  // A pause between tries, none after the last.
  EXPECT_EQ(pauses.size(), made - 1);
  for (std::size_t i = 1; i < pauses.size(); ++i) EXPECT_GE(pauses[i], pauses[i - 1]);
}

INSTANTIATE_TEST_SUITE_P(Tries, HeldFileRetryTest, ::testing::ValuesIn(kCases));

TEST(HeldFilePauseTest, GrowsFromTenMillisecondsAndEndsAfterAboutTwoSeconds) {
  std::vector<unsigned> pauses;
  for (unsigned retry = 1; HeldFilePause(retry) != 0; ++retry) pauses.push_back(HeldFilePause(retry));
  ASSERT_FALSE(pauses.empty());
  EXPECT_EQ(pauses.front(), 10u);
  EXPECT_EQ(pauses[1], 20u);
  EXPECT_EQ(pauses.back(), 250u);
  const unsigned waited = std::accumulate(pauses.begin(), pauses.end(), 0u);
  // Enough to outlast a scanner's hold, short enough that a real failure
  // is told soon.
  EXPECT_GE(waited, kHeldFilePatienceMs);
  EXPECT_LT(waited, kHeldFilePatienceMs + 250);
  EXPECT_EQ(HeldFilePause(0), 0u);
}

}  // namespace
}  // namespace ondrel::test
