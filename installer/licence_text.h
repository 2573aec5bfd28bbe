// The licence text shown by the installer.
#pragma once

#include <string>

namespace ondrel::installer {

// Largest licence file that is shown; a larger one leaves the box empty.
inline constexpr long kMaxLicenceBytes = 1L << 20;

// The bytes of the file at path (opened as given, so a bare name is relative
// to the current directory), unchanged: no line-end translation. Empty when
// the file is missing, unreadable or larger than kMaxLicenceBytes.
std::string ReadLicenceText(const char* path);

}  // namespace ondrel::installer
