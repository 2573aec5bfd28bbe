// The changes one installation makes, each kept with the way to take it back:
// an installation that cannot be finished leaves the system as it found it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::installer {

// Why a step failed, as a sentence for the user; nothing when it succeeded.
using StepFailure = std::optional<std::wstring>;

class ChangeJournal {
 public:
  ChangeJournal() = default;
  ChangeJournal(const ChangeJournal&) = delete;
  ChangeJournal& operator=(const ChangeJournal&) = delete;
  // A journal left without Commit or Undo (an exception on the way) takes
  // its changes back: half an installation is never kept.
  ~ChangeJournal();

  // Creates folder (its last level) unless it is a folder already. A folder
  // made here is removed again on undo.
  StepFailure MakeFolder(const std::wstring& folder);

  // Makes a new file at path through write(path), which answers the system's
  // error code (ERROR_SUCCESS once the file is made). A file already at path
  // is first renamed aside in the same folder, so its bytes stay whole until
  // the end: undo puts it back, commit deletes it. A folder at path is never
  // moved: that is a failure. A write that fails because a file now stands
  // at path (another program made it meanwhile) leaves that file to undo: it
  // is neither deleted nor replaced by the earlier one, which then stays under
  // its new name. failureText begins the sentence for a failed write
  // ("ondrel.exe could not be copied to ...").
  StepFailure ReplaceFile(const std::wstring& path, const std::wstring& failureText,
                          const std::function<DWORD(const std::wstring& path)>& write);

  // Records a change made elsewhere; undo takes it back and answers whether
  // it could. notUndoneText names the change when it could not.
  void Record(std::wstring notUndoneText, std::function<bool()> undo);

  // Keeps every change and deletes the earlier files set aside.
  void Commit();

  // Takes every change back, the latest first. Returns a sentence for each
  // change that could not be taken back.
  std::vector<std::wstring> Undo();

 private:
  struct Change {
    std::wstring notUndoneText;
    std::function<bool()> undo;
    std::function<void()> commit;  // may be empty
  };
  std::vector<Change> changes_;
};

}  // namespace ondrel::installer
