// One policy for failures inside a page: running out of memory while saving
// is a failed save (warning, form kept, file untouched); any other failure
// leaves the page, for the shell to end the program with exit code 1.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/pages/page_cases.h"

namespace {

// The next allocation on the armed thread fails.
std::atomic<DWORD> failingThread{0};

void* Allocate(std::size_t size) {
  if (failingThread != 0 && failingThread == GetCurrentThreadId()) {
    failingThread = 0;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace ondrel::test {
namespace {

void FailNextAllocation() { failingThread = GetCurrentThreadId(); }

TEST(PageFailureTest, RunningOutOfMemoryWhileSavingIsAFailedSave) {
  for (const PageCase& c : AllPageCases()) {
    SCOPED_TRACE(c.name);
    PageHost host(c.kind, c.FileText());
    const auto before = host.DatabaseFileBytes();
    MessageBoxAnswerer answerer;
    host.Type(c.KeyEdit(), u"typed before the failure");
    FailNextAllocation();
    host.Click(c.saveId);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(Narrow(answerer.boxes()[0].text), "Save failed");
    EXPECT_EQ(host.DatabaseFileBytes(), before);
    EXPECT_EQ(Narrow(host.EditText(c.KeyEdit())), "typed before the failure");
    host.Click(c.saveId);  // the retry writes it
    EXPECT_NE(host.DatabaseFileText().find(u"typed before the failure"), Text::npos);
  }
}

TEST(PageFailureTest, AnyOtherFailureLeavesThePage) {
  PageHost host(PageKind::kNote, AllPageCases()[0].FileText());
  host.Type(110, u"edited");
  // Find compares the form first; no window procedure stands between this
  // call and the page, so what the page lets out arrives here.
  FailNextAllocation();
  EXPECT_THROW(host.page().HandleMessage(host.window(), WM_COMMAND, 100, 0), std::bad_alloc);
}

}  // namespace
}  // namespace ondrel::test
