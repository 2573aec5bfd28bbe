// Times the real organiser under Windows (or Wine): from start until the
// note list holds every note of the database, and one Save of a changed
// note, each for a sample database and for an empty one.
//
// Usage: ondrel_organiser_timing.exe DIST_FOLDER [DOCUMENTS] [RUNS]
// DIST_FOLDER holds ondrel.exe and ondrel.lng; they are copied with the
// sample database into a temporary folder for each run.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/sample_database.h"

namespace {

constexpr int kNoteListId = 113;
constexpr int kSubjectEditId = 110;
constexpr int kSaveId = 102;

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK MatchOrganiserWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (owner == search->processId && std::wstring(className) == L"Ondrel") {
    search->window = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindMainWindow(DWORD processId) {
  Search search{processId, nullptr};
  EnumWindows(MatchOrganiserWindow, reinterpret_cast<LPARAM>(&search));
  return search.window;
}

struct Timing {
  double untilListed = -1;
  double save = -1;
};

// One run: a fresh folder with the organiser and the database, started,
// timed, closed.
Timing RunOnce(const std::wstring& dist, std::size_t documents, std::size_t notes) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"ondrel-timing-" + std::to_wstring(GetTickCount()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW((dist + L"\\ondrel.exe").c_str(), (folder + L"ondrel.exe").c_str(), FALSE);
  CopyFileW((dist + L"\\ondrel.lng").c_str(), (folder + L"ondrel.lng").c_str(), FALSE);
  const std::wstring database = folder + L"ondrel.db";
  if (documents > 0) {
    ondrel::bench::WriteSampleDatabase(ondrel::Text(database.begin(), database.end()),
                                       ondrel::bench::SplitSampleCounts(documents), 7);
  }

  Timing timing;
  std::wstring commandLine = L"\"" + folder + L"ondrel.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Seconds();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start the organiser\n");
    return timing;
  }

  HWND main = nullptr;
  HWND list = nullptr;
  while (Seconds() - start < 120) {
    if (main == nullptr) main = FindMainWindow(process.dwProcessId);
    if (main != nullptr && list == nullptr) list = GetDlgItem(main, kNoteListId);
    if (list != nullptr &&
        static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) == notes) {
      timing.untilListed = Seconds() - start;
      break;
    }
    Sleep(1);
  }

  if (main != nullptr) {
    SendMessageW(GetDlgItem(main, kSubjectEditId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"changed by the timing run"));
    const double before = Seconds();
    SendMessageW(main, WM_COMMAND, kSaveId, 0);
    timing.save = Seconds() - before;
    PostMessageW(main, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  for (const wchar_t* name : {L"ondrel.exe", L"ondrel.lng", L"ondrel.db", L"ondrel.db.tmp"}) {
    DeleteFileW((folder + name).c_str());
  }
  RemoveDirectoryW(folder.c_str());
  return timing;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

void Report(const wchar_t* dist, std::size_t documents, int runs) {
  const std::size_t notes = ondrel::bench::SplitSampleCounts(documents).notes;
  std::vector<double> listed, saved;
  for (int i = 0; i < runs; ++i) {
    const Timing timing = RunOnce(dist, documents, notes);
    listed.push_back(timing.untilListed);
    saved.push_back(timing.save);
  }
  std::printf("%7zu documents (%zu notes): start until listed %8.1f ms, one save %8.1f ms "
              "(median of %d)\n",
              documents, notes, Median(listed) * 1e3, Median(saved) * 1e3, runs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ondrel_organiser_timing DIST_FOLDER [DOCUMENTS] [RUNS]\n");
    return 2;
  }
  const std::size_t documents = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 20000;
  const int runs = argc > 3 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 3;
  Report(argv[1], 0, runs);
  Report(argv[1], documents, runs);
  return 0;
}
