// The wait for a running organiser: its mutex as another user's copy holds
// it, and a question that cannot be asked.
#include "running_organiser.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "organiser/win32/kernel_handle.h"

namespace ondrel::test {
using namespace ondrel::setup;
namespace {

// A mutex name of this test's own, so that no organiser is disturbed.
std::wstring TestMutexName(const wchar_t* what) {
  return L"OndrelTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + what;
}

// A mutex that only the system account may open, as an organiser started by
// another user (or with other rights) holds its own: opening it is denied.
KernelHandle ForeignMutex(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:SYG:SYD:(A;;GA;;;SY)",
                                                            SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return KernelHandle();
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  KernelHandle mutex(CreateMutexW(&attributes, FALSE, name.c_str()));
  LocalFree(descriptor);
  return mutex;
}

TEST(OrganiserRuns, WhileItsMutexExistsWhoeverHoldsIt) {
  const std::wstring own = TestMutexName(L"own");
  const std::wstring foreign = TestMutexName(L"foreign");
  const std::wstring event = TestMutexName(L"event");
  const KernelHandle ownMutex(CreateMutexW(nullptr, FALSE, own.c_str()));
  const KernelHandle foreignMutex = ForeignMutex(foreign);
  // Another kind of object under the name: no mutex opens, yet the name is taken.
  const KernelHandle sameNamedEvent(CreateEventW(nullptr, FALSE, FALSE, event.c_str()));
  ASSERT_TRUE(ownMutex && foreignMutex && sameNamedEvent);
  ASSERT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, foreign.c_str()), nullptr);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  const struct {
    std::wstring name;
    bool runs;
  } cases[] = {{own, true}, {foreign, true}, {event, true}, {TestMutexName(L"none"), false}};
  for (const auto& c : cases) EXPECT_EQ(OrganiserRuns(c.name.c_str()), c.runs) << c.name;
}

// The answers the user gives in turn, and what the wait then says. The
// organiser is closed at the answer closesAt (none: it runs on).
TEST(OrganiserClosed, OnlyRetryAsksAgainAndOnlyAClosedOrganiserGoesAhead) {
  constexpr std::size_t kNever = 99;
  const struct {
    const char* what;
    std::vector<int> answers;
    std::size_t closesAt;
    bool closed;
  } cases[] = {
      {"Cancel", {IDCANCEL}, kNever, false},
      {"no box could be shown (MessageBox answers 0)", {0}, kNever, false},
      {"no box under Wine (it answers -1)", {-1}, kNever, false},
      {"Retry after closing it", {IDRETRY}, 0, true},
      {"Retry while it still runs, then Cancel", {IDRETRY, IDCANCEL}, kNever, false},
      {"Retry twice, closed at the second", {IDRETRY, IDRETRY}, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring name = TestMutexName(L"closed");
    KernelHandle organiser(CreateMutexW(nullptr, FALSE, name.c_str()));
    ASSERT_TRUE(organiser);
    std::size_t asked = 0;
    const bool closed = OrganiserClosed(
        L"Cancel ends it.",
        [&](const std::wstring& text) {
          EXPECT_NE(text.find(L"Cancel ends it."), std::wstring::npos);
          // More questions than answers: the wait would go on for ever.
          if (asked == c.answers.size()) {
            ADD_FAILURE() << "asked again after the last answer";
            organiser.Reset();
            return IDCANCEL;
          }
          if (asked == c.closesAt) organiser.Reset();
          return c.answers[asked++];
        },
        name.c_str());
    EXPECT_EQ(closed, c.closed);
    EXPECT_EQ(asked, c.answers.size());
  }
  // Nothing is asked when no organiser runs.
  EXPECT_TRUE(OrganiserClosed(L"", [](const std::wstring&) { return IDCANCEL; },
                              TestMutexName(L"none").c_str()));
}

}  // namespace
}  // namespace ondrel::test
