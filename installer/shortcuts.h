// The two shortcuts to the installed organiser.
#pragma once

#include <string>

namespace ondrel::installer {

// Saves "Ondrel.lnk" to target in the Programs menu (icon index 0) and on the
// desktop (icon index 9), both with installationFolder as working folder and
// description "Ondrel". A shortcut whose path cannot be had or would be too
// long is skipped; when the link object cannot be set up, none is made.
void CreateShortcuts(const std::string& installationFolder, const std::string& target);

}  // namespace ondrel::installer
