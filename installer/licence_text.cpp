#include "licence_text.h"

#include <windows.h>

#include "ansi_path.h"
#include "message_text.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel::installer {

LicenceText ReadLicenceText(const std::optional<std::string>& installerFolder) {
  const std::optional<std::string> path =
      installerFolder ? setup::JoinPath(*installerFolder, "license.txt") : std::nullopt;
  if (!path) return {{}, "The installer could not find its own folder, where license.txt is."};

  const std::string source = "The licence " + *path;
  const FileHandle file(CreateFileA(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    return {{}, source + " could not be read: " + setup::SystemErrorText(GetLastError())};
  }
  if (size.QuadPart == 0) return {{}, source + " is empty."};
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxLicenceBytes) {
    return {{}, source + " is larger than 1 MB."};
  }
  std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
    return {{}, source + " could not be read: " + setup::SystemErrorText(GetLastError())};
  }
  text.resize(read);
  return {std::move(text), {}};
}

std::string UnreadableLicenceText(const std::string& problem) {
  // The licence box breaks lines only at CR LF.
  return problem +
         "\r\n\r\nOndrel can only be installed with its licence. Put license.txt back beside "
         "installer.exe and start the installer again.";
}

}  // namespace ondrel::installer
