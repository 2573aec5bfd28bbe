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
#include "tests/support/started_organiser.h"
#include "tests/support/temp_folder.h"

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

struct Timing {
  double untilListed = -1;
  double save = -1;
};

// One run: a fresh folder with the organiser and the database, started,
// timed, closed.
Timing RunOnce(const std::wstring& dist, std::size_t documents, std::size_t notes) {
  const ondrel::test::TempFolder temp;
  const std::wstring folder = temp.Prefix();
  ondrel::test::CopyOrganiser(dist + L"\\ondrel.exe", dist + L"\\", folder);
  const std::wstring database = folder + L"ondrel.db";
  if (documents > 0) {
    ondrel::bench::WriteSampleDatabase(ondrel::Text(database.begin(), database.end()),
                                       ondrel::bench::SplitSampleCounts(documents), 7);
  }

  Timing timing;
  const double start = Seconds();
  ondrel::test::StartedOrganiser organiser(folder + L"ondrel.exe", folder);
  if (!organiser.started()) {
    std::fprintf(stderr, "cannot start the organiser\n");
    return timing;
  }

  HWND main = nullptr;
  HWND list = nullptr;
  while (Seconds() - start < 120 && organiser.Running()) {
    if (main == nullptr) {
      const std::vector<HWND> windows = ondrel::test::TopLevelWindows(L"Ondrel", organiser.id());
      if (!windows.empty()) main = windows.front();
    }
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
  organiser.WaitForExit(30000);
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
