#include "organiser/shell/main_window.h"

#include <commctrl.h>

#include <utility>

#include "organiser/pages/page.h"
#include "organiser/pages/pages.h"
#include "organiser/shell/tab_strip.h"
#include "organiser/store/database.h"
#include "organiser/text/language_table.h"
#include "organiser/text/message_text.h"
#include "organiser/win32/wide_text.h"
#include "organiser/win32/window_dpi.h"

namespace ondrel {
namespace {

std::unique_ptr<Page> MakeOrganiserPage(int index, const LanguageTable& language) {
  switch (index) {
    case 1: return MakeNotePage(language);
    case 2: return MakePasswordPage(language);
    case 3: return MakePhonePage(language);
    default: return nullptr;
  }
}

Text MainWindowText(const LanguageTable& language, const char16_t* key) {
  const char16_t* text = language.Lookup(u"MainWindow", key);
  return text != nullptr ? Text(text) : Text();
}

// The start warning for what loading the database found, or empty text.
Text StartWarningFor(const LoadResult& loaded, const LanguageTable& language) {
  if (loaded.status == LoadResult::Status::kCouldNotRead) {
    Text text = MainWindowText(language, u"MessageLoadFailed");
    if (!loaded.reason.empty()) text += u"\r\n\r\n" + loaded.reason;
    return text;
  }
  if (loaded.status == LoadResult::Status::kRead && loaded.damaged) {
    return MessageNamingFile(MainWindowText(language, u"MessageLoadDamaged"), loaded.backupPath);
  }
  return Text();
}

}  // namespace

MainWindow::MainWindow(Text programFolder, FileSystem& files, const Clock& clock)
    : MainWindow(std::move(programFolder), files, clock, MakeOrganiserPage) {}

MainWindow::MainWindow(Text programFolder, FileSystem& files, const Clock& clock,
                         PageFactory makePage)
    : programFolder_(std::move(programFolder)),
      files_(files),
      clock_(clock),
      makePage_(std::move(makePage)),
      language_(std::make_unique<LanguageTable>()),
      focusRing_(std::make_unique<FocusRing>()),
      tabStrip_(std::make_unique<TabStrip>(*language_)) {}

MainWindow::~MainWindow() {
  // The pages and the tab strip refer to windows and fonts: take the
  // windows down while everything they use still exists.
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

void MainWindow::Initialize() {
  language_->Load(files_, programFolder_ + u"ondrel.lng");
  database_ = std::make_unique<Database>(files_, clock_);
  startWarning_ = StartWarningFor(database_->Load(programFolder_ + u"ondrel.db"), *language_);
  for (int index = 1; index <= 3; ++index) pages_[index] = makePage_(index, *language_);
}

void MainWindow::RegisterWindowClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kWindowClass;
  // A second MainWindow in the same process finds the class registered
  // (ERROR_CLASS_ALREADY_EXISTS); either way the class is there.
  RegisterClassExW(&windowClass);
}

HWND MainWindow::Create() {
  if (window_ != nullptr || !pages_[1] || !pages_[2] || !pages_[3]) return nullptr;
  RegisterWindowClass();

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                   ICC_DATE_CLASSES;
  InitCommonControlsEx(&controls);

  const char16_t* title = language_->Lookup(u"MainWindow", u"SoftwareTitle");
  // The window's DPI is known only once it exists: it is made at the
  // screen's and moved to its own where that differs (a first display of
  // another scale than the system's).
  const int screenDpi = ScreenDpi();
  // WM_NCCREATE stores this object in the window and takes its DPI, and
  // WM_CREATE builds the tab strip and the pages, inside this call.
  const HWND window = CreateWindowExW(
      0, kWindowClass, AsWide(title), WS_OVERLAPPEDWINDOW,
      ScaleForDpi(kFirstWindowOrigin.x, screenDpi), ScaleForDpi(kFirstWindowOrigin.y, screenDpi),
      ScaleForDpi(kFirstWindowSize.cx, screenDpi), ScaleForDpi(kFirstWindowSize.cy, screenDpi),
      nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window == nullptr) return nullptr;
  if (dpi_ != screenDpi) {
    SetWindowPos(window, nullptr, ScaleForDpi(kFirstWindowOrigin.x, dpi_),
                 ScaleForDpi(kFirstWindowOrigin.y, dpi_), ScaleForDpi(kFirstWindowSize.cx, dpi_),
                 ScaleForDpi(kFirstWindowSize.cy, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window, SW_SHOW);
  // Showing activates the window, which puts the focus on the page; make
  // sure of it where the platform did not activate it.
  if (!IsChild(window, GetFocus())) FocusFirstRingControl();
  ShowStartWarning(window);
  return window;
}

void MainWindow::ShowStartWarning(HWND window) {
  if (startWarning_.empty()) return;
  const Text text = std::exchange(startWarning_, Text());
  const Text caption = MainWindowText(*language_, u"MessageWarning");
  UpdateWindow(window);
  MessageBoxW(window, AsWide(text), AsWide(caption), MB_OK | MB_ICONWARNING);
}

int MainWindow::RunMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;
    // -1 means the call itself failed and message holds nothing: treating
    // it as a message would spin on garbage, so the loop ends instead.
    if (got == -1) return 1;
    if (HandleFocusRingTab(*focusRing_, message)) continue;
    if (IsEscapeOnPage(message)) continue;
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return handlerFailed_ ? 1 : 0;
}

bool MainWindow::IsEscapeOnPage(const MSG& message) const {
  // The dialog keyboard interface would turn Esc in a body edit into
  // WM_CLOSE and end the program; on the main window's controls Esc does
  // nothing. Pop-ups (a date picker's calendar) keep their own Esc.
  if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_CHAR) {
    return false;
  }
  if (message.wParam != VK_ESCAPE) return false;
  return window_ != nullptr &&
         (message.hwnd == window_ || IsChild(window_, message.hwnd));
}

void MainWindow::FocusFirstRingControl() const {
  if (focusRing_->count() > 0) SetFocus((*focusRing_)[0]);
}

void MainWindow::SwitchPage(int index) {
  if (index < 1 || index > 3 || index == currentPage_ || currentPage_ == 0) return;
  // A failed save asked for on leaving keeps the page, its form and its tab.
  if (!pages_[currentPage_]->Hide()) return;
  tabStrip_->Select(index);
  tabStrip_->RefreshCaptions();
  currentPage_ = index;
  pages_[index]->Show();
  pages_[currentPage_]->FillFocusRing(*focusRing_);
  FocusFirstRingControl();
}

void ApplyMinimumTrackSize(MINMAXINFO& info, int dpi) {
  info.ptMinTrackSize = {ScaleForDpi(MainWindow::kMinimumTrackSize.x, dpi),
                         ScaleForDpi(MainWindow::kMinimumTrackSize.y, dpi)};
}

}  // namespace ondrel
