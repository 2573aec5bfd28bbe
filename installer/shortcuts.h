// The two shortcuts to the installed organiser.
#pragma once

#include <optional>
#include <string>

namespace ondrel::installer {

// Which shortcuts were saved.
struct SavedShortcuts {
  bool programs = false;
  bool desktop = false;
};

// Saves a link to target at programsPath (icon index 0) and at desktopPath
// (icon index 9), both with installationFolder as working folder and
// description "Ondrel". A missing path is skipped; when the link object cannot
// be set up, none is saved.
SavedShortcuts CreateShortcuts(const std::string& installationFolder, const std::string& target,
                               const std::optional<std::string>& programsPath,
                               const std::optional<std::string>& desktopPath);

}  // namespace ondrel::installer
