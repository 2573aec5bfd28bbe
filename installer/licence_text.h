// The licence text shown by the installer.
#pragma once

#include <optional>
#include <string>

namespace ondrel::installer {

// Largest licence file that is shown.
inline constexpr unsigned long kMaxLicenceBytes = 1UL << 20;

struct LicenceText {
  std::string text;     // the file's bytes, unchanged: no line-end translation
  std::string problem;  // why there is no text; empty when it was read
};

// The licence "license.txt" in the installer's own folder (nothing when that
// folder is unknown). Without text when the file is missing, unreadable,
// empty or larger than kMaxLicenceBytes; problem then says so.
LicenceText ReadLicenceText(const std::optional<std::string>& installerFolder);

// What the licence box shows in place of an unreadable licence.
std::string UnreadableLicenceText(const std::string& problem);

}  // namespace ondrel::installer
