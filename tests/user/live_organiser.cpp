#include "tests/user/live_organiser.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace ondrel::test {
namespace {

constexpr DWORD kPatience = 20000;  // a guard against hanging, never a measure
constexpr std::size_t kRemoteBytes = 1 << 20;

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

struct ClassSearch {
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ClassSearch*>(context);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (lstrcmpiW(className, search->className) == 0) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK FindPendingPaint(HWND window, LPARAM found) {
  if (GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

// True while window or one of its children has something left to paint.
bool AwaitsPaint(HWND window) {
  bool found = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  EnumChildWindows(window, FindPendingPaint, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool HandsClicksOn(HWND window) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (lstrcmpiW(className, L"Static") == 0) return true;
  return lstrcmpiW(className, L"Button") == 0 && (GetWindowLongW(window, GWL_STYLE) & 0x0F) == BS_GROUPBOX;
}

}  // namespace

std::wstring OrganiserUnderTest() {
  wchar_t value[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"ONDREL_EXE_UNDER_TEST", value, MAX_PATH) > 0) return value;
  return std::wstring(ONDREL_DIST_FOLDER) + L"ondrel.exe";
}

OrganiserFolder::OrganiserFolder(const std::wstring& databaseText) {
  if (!CopyOrganiser(OrganiserUnderTest(), ONDREL_DIST_FOLDER, path_)) {
    throw std::runtime_error("cannot copy the organiser");
  }
  if (!WriteFileBytes(File(L"ondrel.db"), Utf16LeBytes(databaseText))) {
    throw std::runtime_error("cannot write the database");
  }
}

std::wstring OrganiserFolder::DatabaseText() const {
  const std::vector<unsigned char> bytes = ReadFileBytes(File(L"ondrel.db"));
  std::wstring text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return text;
}

void OrganiserFolder::BlockSaves() const { CreateDirectoryW(File(L"ondrel.db.tmp").c_str(), nullptr); }
void OrganiserFolder::UnblockSaves() const { RemoveDirectoryW(File(L"ondrel.db.tmp").c_str()); }

LiveOrganiser::LiveOrganiser(const OrganiserFolder& folder) : folder_(folder) {}

LiveOrganiser::~LiveOrganiser() = default;

bool LiveOrganiser::Start() {
  copy_ = std::make_unique<StartedOrganiser>(folder_.File(L"ondrel.exe"), folder_.path());
  const ULONGLONG began = GetTickCount64();
  main_ = copy_->WaitForMainWindow(kPatience);
  if (main_ == nullptr) {
    startFailure_ = copy_->State() + " after " + std::to_string(GetTickCount64() - began) + " ms";
    return false;
  }
  Settle();
  return true;
}

bool LiveOrganiser::Running() const { return copy_ != nullptr && copy_->Running(); }

DWORD LiveOrganiser::WaitForExit() {
  return copy_ != nullptr ? copy_->WaitForExit(kPatience) : STILL_ACTIVE;
}

std::vector<HWND> LiveOrganiser::ChildrenOfClass(const wchar_t* className) const {
  ClassSearch search{className, {}};
  EnumChildWindows(main_, CollectChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void LiveOrganiser::Settle() const { Settle(3); }

void LiveOrganiser::Settle(std::size_t rounds) const {
  // A message sent to the program is handled the next time it looks at its
  // queue, before any input there; each input event (and the character a
  // key press makes) is taken by one such look. So a round per event, and
  // two more, pass only once the input before them has been handled.
  for (std::size_t round = 0; round < rounds; ++round) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &result)) return;
  }
}

void LiveOrganiser::Send(const std::vector<INPUT>& inputs, bool settle) const {
  // Keys go to the foreground window: a window that has only just been
  // shown or closed hands it on a moment later.
  WaitUntil([&] {
    const HWND foreground = GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(foreground, &owner);
    return foreground != nullptr && owner == copy_->id();
  });
  std::vector<INPUT> copy = inputs;
  SendInput(static_cast<UINT>(copy.size()), copy.data(), sizeof(INPUT));
  if (settle) Settle(copy.size() + 2);
}

HWND LiveOrganiser::Capture() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(copy_->threadId(), &info)) return nullptr;
  return info.hwndCapture;
}

namespace {

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], size,
                        nullptr, nullptr);
  }
  return narrow;
}

}  // namespace

bool LiveOrganiser::NoBoxInTheWay(HWND target) {
  const std::vector<HWND> boxes = MessageBoxes();
  if (boxes.empty()) return true;
  for (HWND box : boxes) {
    if (target == box || IsChild(box, target)) return true;
  }
  // The test aims at the main window, but a box stands in front of it that
  // the test never read: say what it is, and answer it so that the test
  // goes on to its end instead of waiting on it.
  const HWND box = boxes.front();
  ADD_FAILURE() << "a message box nobody answered: \"" << Utf8(Text(box)) << "\": \""
                << Utf8(Text(GetDlgItem(box, 0xFFFF))) << "\"";
  Answer(box, GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK);
  return false;
}

bool LiveOrganiser::Click(HWND window, int x, int y) {
  if (!NoBoxInTheWay(window)) return false;
  // The point is taken anew until it shows window: a click sent while a
  // page is still being switched or laid out lands on whatever is there.
  POINT point{};
  const bool shown = WaitUntil([&] {
    RECT rect{};
    GetClientRect(window, &rect);
    point = {x != kMiddle ? x : (rect.right - rect.left) / 2, y != kMiddle ? y : (rect.bottom - rect.top) / 2};
    ClientToScreen(window, &point);
    if (!IsWindowVisible(window)) return false;
    const HWND there = WindowFromPoint(point);
    if (there == window || IsChild(window, there)) return true;
    // Labels, the tab band and group boxes hand a click on to what lies
    // beneath them; seen from another process they are what is at the point.
    RECT frame{};
    GetWindowRect(window, &frame);
    return PtInRect(&frame, point) && HandsClicksOn(there);
  });
  if (!shown) return false;

  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((point.x * 65536 + width / 2) / width);
  move.mi.dy = static_cast<LONG>((point.y * 65536 + height / 2) / height);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  // Press and release carry the point too. Without it they land where the
  // pointer is when the program takes them, and under Wine the program
  // itself moves the pointer back to the previous click's place when it
  // reads the X server's late report of that earlier move.
  INPUT down = move;
  down.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  INPUT up = move;
  up.mi.dwFlags |= MOUSEEVENTF_LEFTUP;

  // Buttons and edits take the mouse on a press and let it go on the
  // release: the one sign, seen from outside, that the program has handled
  // both (a button runs its command right after letting go, before the
  // program looks at its messages again, which Settle waits for).
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  const bool takesMouse = lstrcmpiW(className, L"Button") == 0 || lstrcmpiW(className, L"Edit") == 0;
  Send({move, down}, !takesMouse);
  if (takesMouse) WaitUntil([&] { return Capture() != nullptr; });
  Send({up}, !takesMouse);
  if (takesMouse) WaitUntil([&] { return Capture() == nullptr; });
  Settle();
  return true;
}

void LiveOrganiser::Key(WORD key, bool control, bool alt) {
  std::vector<INPUT> inputs;
  if (control) inputs.push_back(KeyInput(VK_CONTROL, false));
  if (alt) inputs.push_back(KeyInput(VK_MENU, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  if (alt) inputs.push_back(KeyInput(VK_MENU, true));
  if (control) inputs.push_back(KeyInput(VK_CONTROL, true));
  Send(inputs);
}

void LiveOrganiser::Type(const std::wstring& text) {
  if (!NoBoxInTheWay(Focus())) return;
  for (wchar_t c : text) {
    if (c == L'\n') continue;
    // A character typed into an edit is handled once the edit's text has
    // changed; Enter changes only a multi-line edit's.
    const HWND focus = Focus();
    wchar_t className[32] = {};
    GetClassNameW(focus, className, 32);
    const bool multiLine = (GetWindowLongW(focus, GWL_STYLE) & ES_MULTILINE) != 0;
    const bool changesText =
        focus != nullptr && lstrcmpiW(className, L"Edit") == 0 && (c != L'\r' || multiLine);
    const std::wstring before = changesText ? Text(focus) : std::wstring();
    if (c == L'\r') {
      Key(VK_RETURN);
    } else {
      const SHORT scan = VkKeyScanW(c);
      std::vector<INPUT> inputs;
      if (scan != -1 && (scan & 0x0600) == 0) {
        // A key of the keyboard: pressed as such, with Shift where it needs it.
        const bool shift = (scan & 0x0100) != 0;
        if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
        inputs.push_back(KeyInput(LOBYTE(scan), false));
        inputs.push_back(KeyInput(LOBYTE(scan), true));
        if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
      } else {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = c;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs = {down, up};
      }
      // Keys sent in one burst were seen to be dropped part way under Wine;
      // a person's keys come one at a time.
      Send(inputs, !changesText);
    }
    if (changesText) WaitUntil([&] { return Text(focus) != before; });
  }
}

void LiveOrganiser::Paste(const std::wstring& text) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (memory != nullptr) {
      auto* target = static_cast<wchar_t*>(GlobalLock(memory));
      text.copy(target, text.size());
      target[text.size()] = L'\0';
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    }
    CloseClipboard();
  }
  Key('V', true);
}

HWND LiveOrganiser::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(copy_->threadId(), &info)) return nullptr;
  return info.hwndFocus;
}

std::vector<HWND> LiveOrganiser::MessageBoxes() const {
  std::vector<HWND> boxes = TopLevelWindows(L"#32770", copy_->id());
  boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                             [](HWND box) { return !IsWindowVisible(box); }),
              boxes.end());
  return boxes;
}

std::wstring LiveOrganiser::Text(HWND window) const {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kPatience, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL,
                      kPatience, &copied);
  text.resize(copied);
  return text;
}

void* LiveOrganiser::Remote(std::size_t bytes) const {
  if (bytes > kRemoteBytes) throw std::runtime_error("remote buffer too small");
  if (remote_ == nullptr) {
    remote_ = VirtualAllocEx(copy_->process(), nullptr, kRemoteBytes, MEM_COMMIT | MEM_RESERVE,
                             PAGE_READWRITE);
  }
  return remote_;
}

int LiveOrganiser::RowCount(HWND list) const {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<int> LiveOrganiser::SelectedRows(HWND list) const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) != -1) {
    rows.push_back(row);
  }
  return rows;
}

std::wstring LiveOrganiser::Cell(HWND list, int row, int column) const {
  constexpr int kChars = 4096;
  auto* remote = static_cast<unsigned char*>(Remote(sizeof(LVITEMW) + kChars * sizeof(wchar_t)));
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
  WriteProcessMemory(copy_->process(), remote, &item, sizeof(item), nullptr);
  const int length = static_cast<int>(
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote)));
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    ReadProcessMemory(copy_->process(), remote + sizeof(LVITEMW), &text[0], text.size() * sizeof(wchar_t),
                      nullptr);
  }
  return text;
}

RECT LiveOrganiser::RowRect(HWND list, int row) const {
  RECT rect{};
  rect.left = LVIR_LABEL;
  void* remote = Remote(sizeof(rect));
  WriteProcessMemory(copy_->process(), remote, &rect, sizeof(rect), nullptr);
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(copy_->process(), remote, &rect, sizeof(rect), nullptr);
  return rect;
}

int LiveOrganiser::TopRow(HWND list) const {
  return static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
}

int LiveOrganiser::RowsPerPage(HWND list) const {
  return static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
}

SYSTEMTIME LiveOrganiser::PickerDate(HWND picker) const {
  SYSTEMTIME date{};
  void* remote = Remote(sizeof(date));
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(copy_->process(), remote, &date, sizeof(date), nullptr);
  return date;
}

std::vector<COLORREF> LiveOrganiser::Pixels(HWND window) const {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  if (bits != nullptr) std::copy_n(static_cast<const COLORREF*>(bits), pixels.size(), pixels.begin());
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

std::vector<COLORREF> LiveOrganiser::SteadyPixels(HWND window, int blinking) const {
  // Steady means nothing left to paint and alike over several looks in a
  // row, each after the program has been through its message loop again; a
  // blinking caret may differ.
  constexpr int kAlikeLooks = 3;
  std::vector<COLORREF> last = Pixels(window);
  int alike = 0;
  WaitUntil([&] {
    std::vector<COLORREF> now = Pixels(window);
    int differing = 0;
    for (std::size_t i = 0; i < now.size() && i < last.size(); ++i) differing += now[i] != last[i] ? 1 : 0;
    alike = !AwaitsPaint(window) && now.size() == last.size() && differing <= blinking ? alike + 1 : 0;
    last = std::move(now);
    return alike >= kAlikeLooks;
  });
  return last;
}

void LiveOrganiser::RepaintWhole(HWND window) const {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  // The program paints once its queue is empty; until then the window or
  // one of its children still has a region to update.
  WaitUntil([&] { return !AwaitsPaint(window); });
}

void LiveOrganiser::Answer(HWND box, int button) {
  // A box is found as soon as it is visible, before it has all its buttons.
  WaitUntil([&] {
    const HWND item = GetDlgItem(box, button);
    return GetForegroundWindow() == box && item != nullptr && IsWindowVisible(item);
  });
  const HWND item = GetDlgItem(box, button);
  if (item != nullptr) Click(item);
  // The box closes inside the program's own loop; wait until it is gone.
  WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

bool LiveOrganiser::SendToMain(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) const {
  DWORD_PTR result = 0;
  const bool handled =
      SendMessageTimeoutW(main_, message, wParam, lParam, SMTO_NORMAL, kPatience, &result) != 0;
  answer = static_cast<LRESULT>(result);
  return handled;
}

void LiveOrganiser::Kill() {
  if (copy_ == nullptr || !copy_->Running()) return;
  TerminateProcess(copy_->process(), 1);
  WaitForSingleObject(copy_->process(), kPatience);
}

}  // namespace ondrel::test
