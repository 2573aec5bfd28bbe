// A process killed at any moment of a save leaves "ondrel.db" holding
// exactly the documents before or exactly the documents after that save.
// Natively the saver is a forked child ended by SIGKILL; on Windows it is a
// program of its own ended by TerminateProcess from this one.

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "organiser/platform/platform.h"
#include "tests/store/kill_versions.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
namespace {

constexpr int kKills = 200;

#ifdef _WIN32
// The saver program beside this test program.
std::wstring SaverPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + L"" ONDREL_KILL_SAVER;
}

// Starts the saver on path, waits until it has saved once, lets it
// save for pause, and terminates it. False when it could not be started.
bool SaveAndKill(const Text& path, std::chrono::microseconds pause) {
  const std::wstring eventName = L"OndrelKillSaverReady-" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  const std::wstring saver = SaverPath();
  std::wstring commandLine =
      L"\"" + saver + L"\" \"" + std::wstring(path.begin(), path.end()) + L"\" " + eventName;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  // Under Wine a start now and then fails before the program runs at all
  // (seen under load); it is tried again, three starts in all, and each
  // failure is said on the error output.
  bool started = false;
  for (int attempt = 1; !started && attempt <= 3; ++attempt) {
    started = CreateProcessW(saver.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process) != FALSE;
    if (!started) {
      std::fprintf(stderr, "starting the saver failed with error %lu (start %d of 3)\n",
                   static_cast<unsigned long>(GetLastError()), attempt);
      Sleep(100);
    }
  }
  if (started) {
    HANDLE waitFor[] = {ready, process.hProcess};
    WaitForMultipleObjects(2, waitFor, FALSE, 60000);
    std::this_thread::sleep_for(pause);
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(ready);
  return started;
}
#else
bool SaveAndKill(const Text& path, std::chrono::microseconds pause) {
  int toParent[2];
  if (pipe(toParent) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(toParent[0]);
    SaveKillVersionsForever(path, [&toParent] {
      const char saved = 1;
      (void)!write(toParent[1], &saved, 1);
    });
  }
  close(toParent[1]);
  char saved = 0;
  (void)!read(toParent[0], &saved, 1);
  close(toParent[0]);
  std::this_thread::sleep_for(pause);
  kill(child, SIGKILL);
  int status = 0;
  return waitpid(child, &status, 0) == child;
}
#endif

TEST(KillTest, AFileSavedWhileKilledIsAlwaysTheOldOrTheNewSet) {
  TempFolder folder;
  const Text path = folder.File("ondrel.db");
  std::unique_ptr<FileSystem> files = NewPlatformFileSystem();
  FixedClock clock({2024, 3, 5, 9, 7});
  {
    Database database(*files, clock);
    database.Load(path);
    for (int i = 0; i < kKillNotes; ++i) database.CreateDocument(NoteDocument::kTypeName);
    SetKillVersion(database, 0);
    ASSERT_TRUE(database.Save(database.DocumentAt(0)));
  }
  ASSERT_EQ(KillVersionOnDisk(*files, clock, path), 0);

  std::mt19937 random(20240305);
  std::uniform_int_distribution<int> pauseMicroseconds(0, 30000);
  int seen[2] = {0, 0};
  for (int kill = 0; kill < kKills; ++kill) {
    ASSERT_TRUE(SaveAndKill(path, std::chrono::microseconds(pauseMicroseconds(random))));
    const int version = KillVersionOnDisk(*files, clock, path);
    ASSERT_GE(version, 0) << "torn file after kill " << kill;
    ++seen[version];
    ASSERT_FALSE(folder.Exists("ondrel.db.bak")) << "kill " << kill;
  }
  // Both sets must have been on disk at some kill, or the test saw nothing.
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}

}  // namespace
}  // namespace ondrel::test
