// The uninstall entry that lets the user remove Ondrel again, and tells
// Windows what to show for it in its list of installed programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "change_journal.h"
#include "install_plan.h"
#include "registry_key.h"

namespace ondrel::installer {

// Where the entry is kept: HKEY_LOCAL_MACHINE and the uninstall key "Ondrel"
// (another place only in tests).
struct EntryLocation {
  HKEY root;
  const wchar_t* keyPath;
};

// One value of the entry, as it is stored.
struct EntryValue {
  const wchar_t* name;
  setup::RegistryKey::RawValue value;
};

// The entry's values, in the order they are written: "DisplayName",
// "UninstallString" and "Path" (the installation folder with its trailing
// backslash), which the uninstaller relies on; then "DisplayIcon" (the
// installed ondrel.exe, icon 0), "DisplayVersion", "Publisher",
// "InstallLocation" (the installation folder), all REG_SZ; "EstimatedSize"
// (installedBytes in KiB, rounded up), "NoModify" and "NoRepair" (1: Windows
// offers neither), all REG_DWORD.
std::vector<EntryValue> UninstallEntryValues(const InstallPlan& plan,
                                             unsigned long long installedBytes);

// Creates or opens the uninstall key at where and writes values into it.
// Records in journal how to take that back: a key made now is deleted; an
// earlier entry gets each of these values back exactly as it was, and loses
// again those it did not have. Its other values are never touched.
StepFailure RegisterUninstall(const std::vector<EntryValue>& values, ChangeJournal& journal,
                              const EntryLocation& where);

}  // namespace ondrel::installer
