#include "licence_text.h"

#include <windows.h>

#include "message_text.h"
#include "organiser/win32/kernel_handle.h"
#include "wide_path.h"

namespace ondrel::installer {

LicenceText ReadLicenceText(const std::optional<std::wstring>& installerFolder) {
  const std::optional<std::wstring> path =
      installerFolder ? setup::JoinPath(*installerFolder, L"license.txt") : std::nullopt;
  if (!path) return {{}, L"The installer could not find its own folder, where license.txt is."};

  const std::wstring source = L"The licence " + *path;
  const FileHandle file(CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    return {{}, source + L" could not be read: " + setup::SystemErrorText(GetLastError())};
  }
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxLicenceBytes) {
    return {{}, source + L" is larger than 1 MB."};
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return {{}, source + L" could not be read: " + setup::SystemErrorText(GetLastError())};
  }
  bytes.resize(read);
  // Nothing to agree to, as when the file is missing (also one emptied
  // since its size was taken).
  if (bytes.empty()) return {{}, source + L" is empty."};
  return {std::move(bytes), {}};
}

std::wstring ShownLicenceText(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), units);
  return text;
}

std::wstring UnreadableLicenceText(const std::wstring& problem) {
  // The licence box breaks lines only at CR LF.
  return problem +
         L"\r\n\r\nOndrel can only be installed with its licence. Put license.txt back beside "
         L"installer.exe and start the installer again.";
}

}  // namespace ondrel::installer
