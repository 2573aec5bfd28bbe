// The owner template with traits that record every close instead of
// calling the system: each case runs a few steps on owners in a scope and
// lists the closes it must cause, in order.

#include "organiser/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

namespace ondrel::test {
namespace {

using CloseLog = std::vector<std::string>;

// Handles are ints; kInvalid owns nothing. The tag names the owner a
// handle was given to, as a device context's traits name its window.
template <int kInvalid>
struct RecordingTraits {
  using Handle = int;
  CloseLog* log = nullptr;
  std::string tag;
  static Handle Invalid() { return kInvalid; }
  void Close(Handle handle) const { log->push_back(tag + std::to_string(handle)); }
};
using Owner = UniqueHandle<RecordingTraits<-1>>;      // as INVALID_HANDLE_VALUE
using NullOwner = UniqueHandle<RecordingTraits<0>>;   // as a null handle

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner> &&
              std::is_nothrow_move_assignable_v<Owner>);

struct Case {
  const char* name;
  std::function<void(CloseLog&)> steps;
  CloseLog closes;
};

const Case kCases[] = {
    {"destructor closes once", [](CloseLog& log) { Owner a(7, {&log, "a"}); }, {"a7"}},
    {"invalid value is never closed",
     [](CloseLog& log) {
       Owner a(-1, {&log, "a"});
       a.Reset();
       Owner b;
       NullOwner c(0, {&log, "c"});
       EXPECT_FALSE(a);
       EXPECT_FALSE(c);
     },
     {}},
    {"the other convention's invalid value is a real handle",
     [](CloseLog& log) {
       NullOwner a(-1, {&log, "a"});
       Owner b(0, {&log, "b"});
       EXPECT_TRUE(a);
       EXPECT_TRUE(b);
     },
     {"b0", "a-1"}},
    {"move construction hands the handle over",
     [](CloseLog& log) {
       Owner a(1, {&log, "a"});
       Owner b(std::move(a));
       EXPECT_FALSE(a);
       EXPECT_EQ(b.get(), 1);
       EXPECT_TRUE(log.empty());
     },
     {"a1"}},
    {"move assignment closes the old handle with its own traits first",
     [](CloseLog& log) {
       Owner a(1, {&log, "a"});
       Owner b(2, {&log, "b"});
       b = std::move(a);
       EXPECT_EQ(log, CloseLog{"b2"});
       EXPECT_FALSE(a);
     },
     {"b2", "a1"}},
    {"move assignment from an empty owner closes",
     [](CloseLog& log) {
       Owner a;
       Owner b(2, {&log, "b"});
       b = std::move(a);
       EXPECT_FALSE(b);
     },
     {"b2"}},
    {"self-move keeps the handle open",
     [](CloseLog& log) {
       Owner a(3, {&log, "a"});
       Owner& same = a;
       a = std::move(same);
       EXPECT_EQ(a.get(), 3);
       EXPECT_TRUE(log.empty());
     },
     {"a3"}},
    {"reset closes the old handle and keeps the new",
     [](CloseLog& log) {
       Owner a(4, {&log, "a"});
       a.Reset(5);
       EXPECT_EQ(log, CloseLog{"a4"});
     },
     {"a4", "a5"}},
    {"reset to the value held keeps it open",
     [](CloseLog& log) {
       Owner a(6, {&log, "a"});
       a.Reset(a.get());
       EXPECT_TRUE(log.empty());
     },
     {"a6"}},
    {"release gives the handle up unclosed",
     [](CloseLog& log) {
       Owner a(8, {&log, "a"});
       EXPECT_EQ(a.Release(), 8);
       EXPECT_FALSE(a);
     },
     {}},
    {"receive closes the old handle, then owns what is written",
     [](CloseLog& log) {
       Owner a(9, {&log, "a"});
       *a.Receive() = 10;
       EXPECT_EQ(log, CloseLog{"a9"});
     },
     {"a9", "a10"}},
};

// Names the case where a failure is reported, rather than its bytes.
void PrintTo(const Case& testCase, std::ostream* out) { *out << testCase.name; }

class UniqueHandleTest : public ::testing::TestWithParam<Case> {};

TEST_P(UniqueHandleTest, ClosesExactlyWhatItOwns) {
  CloseLog log;
  GetParam().steps(log);
  EXPECT_EQ(log, GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(Owners, UniqueHandleTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& caseInfo) {
                           std::string name;
                           for (const char* c = caseInfo.param.name; *c != '\0'; ++c) {
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace ondrel::test
