#include "installer_window.h"

#include "installation.h"
#include "licence_text.h"
#include "message_text.h"
#include "organiser/win32/fonts.h"
#include "organiser/win32/window_dpi.h"
#include "running_organiser.h"
#include "system_paths.h"
#include "wide_path.h"
#include "window_geometry.h"

namespace ondrel::installer {
namespace {

struct ControlDefinition {
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  DWORD extendedStyle;
  int id;
};

HWND CreateControl(HWND parent, const ControlDefinition& control, const RECT& bounds) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  return CreateWindowExW(
      control.extendedStyle, control.className, control.text, control.style, bounds.left,
      bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
}

RECT Bounds(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

// fonts may be null: the controls then keep the system font.
void CreateInstallerControls(HWND window, const InstallerFonts* fonts) {
  // Every size and gap below is a 100 % value, scaled to the window's DPI.
  const int dpi = WindowDpi(window);
  const auto px = [dpi](int designValue) { return ScaleForDpi(designValue, dpi); };
  CentreWindow(window, px(kClientWidth), px(kClientHeight));
  RECT rc{};
  GetClientRect(window, &rc);

  constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP;
  constexpr DWORD kLicenceStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL |
                                  WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
  const ControlDefinition licenceDefinition{L"Edit", L"", kLicenceStyle, WS_EX_CLIENTEDGE,
                                            kLicenceBoxId};
  const ControlDefinition agreeDefinition{L"Button", L"Agree", kButtonStyle, 0, kAgreeButtonId};
  const ControlDefinition cancelDefinition{L"Button", L"Cancel", kButtonStyle, 0, kCancelButtonId};

  // The licence lies beside the installer, whatever the current directory.
  const std::optional<std::wstring> installerPath = setup::ModulePath();
  const LicenceText licence =
      ReadLicenceText(installerPath ? setup::FolderOf(*installerPath) : std::nullopt);
  const bool licenceRead = licence.problem.empty();

  const HWND licenceBox = CreateControl(
      window, licenceDefinition,
      Bounds(rc.left + px(5), rc.top + px(5), (rc.right - rc.left) - px(10),
             (rc.bottom - rc.top) - px(40)));
  // Without its licence Ondrel is not offered for installation: no Agree.
  const HWND agree =
      licenceRead ? CreateControl(window, agreeDefinition,
                                  Bounds(rc.left + px(418), rc.bottom - px(28), px(80), px(24)))
                  : nullptr;
  const HWND cancel = CreateControl(window, cancelDefinition,
                                    Bounds(rc.left + px(505), rc.bottom - px(28), px(80), px(24)));
  if (agree) ShowWindow(agree, SW_SHOW);
  ShowWindow(cancel, SW_SHOW);
  ShowWindow(licenceBox, SW_SHOW);

  if (fonts) {
    if (agree)
      SendMessageW(agree, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->buttons.get()), TRUE);
    SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->buttons.get()), TRUE);
    SendMessageW(licenceBox, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->licence.get()), TRUE);
  }

  const std::wstring shown =
      licenceRead ? ShownLicenceText(licence.bytes) : UnreadableLicenceText(licence.problem);
  SetWindowTextW(licenceBox, shown.c_str());
}

// Runs the installation for Agree; the exit code: 0 when Ondrel was installed.
int Install(HWND window) {
  // A click queued while the installation runs must not start it again.
  EnableWindow(GetDlgItem(window, kAgreeButtonId), FALSE);
  EnableWindow(GetDlgItem(window, kCancelButtonId), FALSE);
  if (!setup::OrganiserClosed(window, L"Cancel ends the installation and changes nothing.")) {
    return 1;
  }
  const InstallOutcome outcome = RunInstallation();
  const std::wstring message = MessageText(outcome);
  if (!message.empty()) {
    setup::ShowMessage(window, message,
                       MB_OK | (outcome.Installed() ? MB_ICONWARNING : MB_ICONERROR));
  }
  return outcome.Installed() ? 0 : 1;
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
  // The whole wParam is compared, so only a click (notification 0) counts.
  if (wParam == kAgreeButtonId) {
    PostQuitMessage(Install(window));
  } else if (wParam == kCancelButtonId) {
    // Without a licence there was nothing to install: that is no success.
    PostQuitMessage(GetDlgItem(window, kAgreeButtonId) ? 0 : 1);
  }
  return 0;
}

}  // namespace

InstallerFonts CreateInstallerFonts(int dpi) {
  return {MakeScaledFont(13, L"MS Sans Serif", L"Microsoft Sans Serif", dpi),
          MakeScaledFont(15, L"Courier", L"Courier New", dpi)};
}

bool RegisterInstallerClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_SAVEBITS;
  windowClass.lpfnWndProc = InstallerWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_APPSTARTING));
  windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
  windowClass.lpszClassName = kInstallerClassName;
  return RegisterClassExW(&windowClass) != 0;
}

HWND CreateInstallerWindow(HINSTANCE instance, const InstallerFonts& fonts) {
  // The fonts travel as creation data: WM_CREATE builds the controls.
  return CreateWindowExW(0, kInstallerClassName, kInstallerTitle, WS_BORDER, 0, 0, 10, 10, nullptr,
                         nullptr, instance, const_cast<InstallerFonts*>(&fonts));
}

LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing thrown may reach the system's message dispatch.
  try {
    switch (message) {
      case WM_CREATE: {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        CreateInstallerControls(window,
                                static_cast<const InstallerFonts*>(creation->lpCreateParams));
        return 0;
      }
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      case WM_COMMAND:
        return OnCommand(window, wParam);
      default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
  } catch (...) {
    return 0;
  }
}

void CentreWindow(HWND window, int clientWidth, int clientHeight) {
  SetWindowPos(window, HWND_TOP, 0, 0, clientWidth, clientHeight, SWP_HIDEWINDOW);
  RECT measured{};
  GetClientRect(window, &measured);
  const Size size =
      WindowSizeForClient({clientWidth, clientHeight},
                          {measured.right - measured.left, measured.bottom - measured.top});

  Point origin{0, 0};
  if (const CreatedDc display{CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)}) {
    origin = CentredOrigin(
        {GetDeviceCaps(display.get(), HORZRES), GetDeviceCaps(display.get(), VERTRES)}, size);
  }
  SetWindowPos(window, HWND_TOP, origin.x, origin.y, size.width, size.height, SWP_SHOWWINDOW);
}

}  // namespace ondrel::installer
