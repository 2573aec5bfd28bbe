#include "change_journal.h"

#include <utility>

#include "message_text.h"
#include "wide_path.h"

namespace ondrel::installer {
namespace {

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Renames the file at path to a new, unique name in its own folder; that name,
// or nothing with the system's error code in error.
std::optional<std::wstring> SetAside(const std::wstring& path, DWORD& error) {
  const std::optional<std::wstring> folder = setup::FolderOf(path);
  wchar_t aside[MAX_PATH] = {};
  // GetTempFileName makes the file, so that no other run can take the name.
  if (!folder || GetTempFileNameW(folder->c_str(), L"ond", 0, aside) == 0) {
    error = folder ? GetLastError() : ERROR_BAD_PATHNAME;
    return std::nullopt;
  }
  if (!MoveFileExW(path.c_str(), aside, MOVEFILE_REPLACE_EXISTING)) {
    error = GetLastError();
    DeleteFileW(aside);
    return std::nullopt;
  }
  return std::wstring(aside);
}

void DeleteSetAside(const std::wstring& path) {
  // An earlier file may have been read-only; it is no longer needed.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

}  // namespace

ChangeJournal::~ChangeJournal() {
  try {
    Undo();
  } catch (...) {
    // Nothing more can be done here; the changes not taken back stay.
  }
}

StepFailure ChangeJournal::MakeFolder(const std::wstring& folder) {
  if (CreateDirectoryW(folder.c_str(), nullptr)) {
    Record(L"The new folder " + setup::ShownPath(folder) + L" could not be removed.",
           [folder] { return RemoveDirectoryW(folder.c_str()) != 0; });
    return std::nullopt;
  }
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return L"The folder " + setup::ShownPath(folder) +
         L" could not be created: " + setup::SystemErrorText(error);
}

StepFailure ChangeJournal::ReplaceFile(const std::wstring& path, const std::wstring& failureText,
                                       const std::function<DWORD(const std::wstring&)>& write) {
  std::optional<std::wstring> aside;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Only a path known to be free is written to: a file that cannot be
    // looked at may be the user's, and an undo would delete it.
    const DWORD error = GetLastError();
    if (!Missing(error)) return failureText + L": " + setup::SystemErrorText(error);
  } else {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return failureText + L": a folder of that name is in the way.";
    }
    DWORD error = ERROR_SUCCESS;
    aside = SetAside(path, error);
    if (!aside) {
      return failureText + L": the file there now could not be moved aside (" +
             setup::SystemErrorText(error) + L")";
    }
  }

  // Recorded before the write, so that a file half written is taken back too.
  Change change;
  if (aside) {
    change.notUndoneText = L"The earlier " + setup::ShownPath(path) +
                           L" could not be put back; it is kept as " + setup::ShownPath(*aside) +
                           L".";
    change.undo = [path, aside] {
      return MoveFileExW(aside->c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    };
    change.commit = [aside] { DeleteSetAside(*aside); };
  } else {
    change.notUndoneText = L"The new " + setup::ShownPath(path) + L" could not be removed.";
    change.undo = [path] { return DeleteFileW(path.c_str()) != 0 || Missing(GetLastError()); };
  }
  changes_.push_back(std::move(change));

  const DWORD error = write(path);
  if (error == ERROR_SUCCESS) return std::nullopt;
  // Something else made a file there in the meantime: it is not this run's
  // to delete, nor to put the earlier file over. The earlier file goes back
  // only to a free path; otherwise it stays under its new name, and undo
  // names it.
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    if (!aside) {
      changes_.pop_back();
    } else {
      changes_.back().undo = [path, aside] {
        return MoveFileExW(aside->c_str(), path.c_str(), 0) != 0;
      };
    }
  }
  return failureText + L": " + setup::SystemErrorText(error);
}

void ChangeJournal::Record(std::wstring notUndoneText, std::function<bool()> undo) {
  changes_.push_back({std::move(notUndoneText), std::move(undo), nullptr});
}

void ChangeJournal::Commit() {
  for (const Change& change : changes_) {
    if (change.commit) change.commit();
  }
  changes_.clear();
}

std::vector<std::wstring> ChangeJournal::Undo() {
  std::vector<std::wstring> notUndone;
  while (!changes_.empty()) {
    const Change change = std::move(changes_.back());
    changes_.pop_back();
    if (!change.undo()) notUndone.push_back(change.notUndoneText);
  }
  return notUndone;
}

}  // namespace ondrel::installer
