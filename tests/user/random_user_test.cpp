// The seeded random user over fixed seeds. ONDREL_RANDOM_SEEDS ("first
// count") and ONDREL_RANDOM_ACTIONS (per seed) run more, as
// scripts/random-user.sh does.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "tests/user/random_user.h"

namespace ondrel::test {
namespace {

int EnvironmentNumber(const char* name, int index, int fallback) {
  char value[64] = {};
  if (GetEnvironmentVariableA(name, value, sizeof(value)) == 0) return fallback;
  std::istringstream numbers(value);
  int number = fallback;
  for (int i = 0; i <= index; ++i) {
    if (!(numbers >> number)) return fallback;
  }
  return number;
}

TEST(RandomUserTest, EveryActionKeepsFileListFormAndFocusAsTheModelSays) {
  const int firstSeed = EnvironmentNumber("ONDREL_RANDOM_SEEDS", 0, 1);
  const int seeds = EnvironmentNumber("ONDREL_RANDOM_SEEDS", 1, 3);
  const int actionsPerSeed = EnvironmentNumber("ONDREL_RANDOM_ACTIONS", 0, 100);
  int total = 0;
  for (int seed = firstSeed; seed < firstSeed + seeds; ++seed) {
    const std::vector<UserAction> actions = RandomActions(static_cast<std::uint32_t>(seed), actionsPerSeed);
    const DWORD started = GetTickCount();
    const RandomUserResult result = RunRandomUser(actions);
    total += result.actionsRun;
    std::printf("seed %d: %d actions in %lu s%s\n", seed, result.actionsRun,
                static_cast<unsigned long>((GetTickCount() - started) / 1000), result.failedAt >= 0 ? ", FAILED" : "");
    std::fflush(stdout);
    if (result.failedAt < 0) continue;
    std::ostringstream before;
    for (int i = std::max(0, result.failedAt - 11); i <= result.failedAt; ++i) {
      before << "\n  " << i + 1 << ". " << actions[static_cast<std::size_t>(i)].Describe();
    }
    std::printf("the actions up to the failure:%s\n", before.str().c_str());
    std::fflush(stdout);
    // The same actions once more tell a failure that repeats from one that
    // came from the moment; only a repeating one is worth shrinking.
    const std::vector<UserAction> upToFailure(actions.begin(), actions.begin() + result.failedAt + 1);
    const RandomUserResult again = RunRandomUser(upToFailure);
    if (again.failedAt < 0) {
      ADD_FAILURE() << "seed " << seed << " failed at action " << result.failedAt + 1 << ": "
                    << result.failure << "\nthe same actions run again passed: the failure did not repeat";
      continue;
    }
    std::string failure = result.failure;
    const std::vector<UserAction> shortest = ShrinkFailure(actions, result.failedAt, 240, failure);
    std::ostringstream steps;
    for (std::size_t i = 0; i < shortest.size(); ++i) steps << "\n  " << i + 1 << ". " << shortest[i].Describe();
    ADD_FAILURE() << "seed " << seed << " failed at action " << result.failedAt + 1 << ": " << result.failure
                  << "\nshortest failing list (" << shortest.size() << " actions, ends with: " << failure << "):"
                  << steps.str();
  }
  std::printf("random user: %d actions over %d seeds\n", total, seeds);
}

}  // namespace
}  // namespace ondrel::test
