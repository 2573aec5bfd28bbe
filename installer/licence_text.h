// The licence text shown by the installer.
#pragma once

#include <optional>
#include <string>

namespace ondrel::installer {

// Largest licence file that is shown.
inline constexpr unsigned long kMaxLicenceBytes = 1UL << 20;

struct LicenceText {
  std::string bytes;     // the file's bytes, unchanged: no line-end translation
  std::wstring problem;  // why there is no text; empty when it was read
};

// The licence "license.txt" in the installer's own folder (nothing when that
// folder is unknown). Without text when the file is missing, unreadable,
// empty or larger than kMaxLicenceBytes; problem then says so.
LicenceText ReadLicenceText(const std::optional<std::wstring>& installerFolder);

// The licence's bytes as the licence box shows them: the licence is written
// in the system's ANSI code page, and its text is converted from there.
std::wstring ShownLicenceText(const std::string& bytes);

// What the licence box shows in place of an unreadable licence.
std::wstring UnreadableLicenceText(const std::wstring& problem);

}  // namespace ondrel::installer
