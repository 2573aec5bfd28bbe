#pragma once
// A seeded random user of the built organiser, checked against a small model
// of what the file, the lists and the forms must hold. Every action is real
// input (clicks, keys, answers to the message boxes); after each one the
// program must be alive, show no message box, highlight exactly the row of
// the record in each form, keep the focus on the shown page, and hold in
// "ondrel.db" exactly the model's records.

#include <cstdint>
#include <string>
#include <vector>

namespace ondrel::test {

struct UserAction {
  enum class Kind {
    kClickRow, kClickTab, kClickButton, kClickEdit, kType, kEnter, kTab, kEsc,
    kPicker, kBlockSaves, kUnblockSaves, kRestart,
    kLogOff,          // the session's end messages, then the process is killed
    kClickListSpace,  // a click on the list below its last row
  };
  Kind kind;
  int choice = 0;        // which row, tab, button, edit or picker
  int count = 0;         // picker steps (negative: down)
  std::wstring text;     // typed text
  std::uint32_t answers = 0;  // bit i: Yes (1) or No (0) to the i-th question

  std::string Describe() const;
};

// The actions of one seed, as many as asked.
std::vector<UserAction> RandomActions(std::uint32_t seed, int count);

struct RandomUserResult {
  int actionsRun = 0;
  int failedAt = -1;  // index of the failing action, -1 when all held
  std::string failure;
};

// Runs the actions on a fresh organiser over a fixed starting database;
// stops at the first action after which a check fails.
RandomUserResult RunRandomUser(const std::vector<UserAction>& actions);

// The shortest list found (by removing chunks, within about the given
// seconds) that still fails, and its failure.
std::vector<UserAction> ShrinkFailure(std::vector<UserAction> actions, int failedAt, int seconds,
                                      std::string& failure);

}  // namespace ondrel::test
