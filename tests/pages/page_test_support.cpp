#include "tests/pages/page_test_support.h"

#include <commctrl.h>

#include <chrono>
#include <stdexcept>

#include "organiser/pages/pages.h"
#include "organiser/platform/platform.h"

namespace ondrel::test {

Text T(const char* ascii) {
  Text text;
  for (const char* c = ascii; *c != '\0'; ++c) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
  return text;
}

std::string Narrow(const Text& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

Text DatabaseText(const std::vector<StoredRecord>& records) {
  Text text = u"<Database>";
  for (const StoredRecord& record : records) {
    text += u"<Document><DocumentType>" + T(record.kind) + u"</DocumentType>";
    text += u"<CreateDate>01.01.2001 08:00</CreateDate>";
    text += u"<ModifyDate>" + T(record.modifyDate) + u"</ModifyDate>";
    for (const auto& [tag, value] : record.elements) {
      text += u"<" + T(tag) + u">" + T(value) + u"</" + T(tag) + u">";
    }
    text += u"</Document>";
  }
  return text + u"</Database>";
}

std::vector<unsigned char> TestLanguageBytes() {
  const char* const lines[] = {
      "[MainWindow]",
      "SoftwareTitleEng=Ondrel test",
      "Tab1Eng=Notes", "Tab2Eng=Passwords", "Tab3Eng=Phone book",
      "ButtonSaveEng=Save", "ButtonCancelEng=Cancel", "ButtonRemoveEng=Remove", "ButtonNewEng=New",
      "MessageWarningEng=Warning caption",
      "MessageSaveQuestionEng=Save question",
      "MessageSaveFailedEng=Save failed",
      "MessageRemoveFailedEng=Remove failed",
      "MessageFileChangedEng=Kept as %1",
      "[NotePage]",
      "LabelSearchPanelEng=Search", "LabelDocumentEng=Note", "LabelSubjectEng=Subject",
      "LabelKeywordsEng=Keywords", "LabelBodyEng=Body", "LabelLastChangeEng=Last change",
      "ButtonFindEng=Find", "HeaderLastChangeEng=Changed", "HeaderKeywordsEng=Keywords",
      "HeaderSubjectEng=Subject",
      "[PasswordPage]",
      "LabelListPanelEng=Entries", "LabelDocumentEng=Entry", "LabelSiteEng=Site",
      "LabelLoginEng=Login", "LabelPasswordEng=Password", "HeaderSiteEng=Site",
      "HeaderLoginEng=Login",
      "[PhonePage]",
      "LabelListPanelEng=Contacts", "LabelDocumentEng=Contact", "FirstNameEng=First name",
      "MiddleNameEng=Middle name", "LastNameEng=Last name", "NicNameEng=Nickname",
      "EmailEng=E-mail", "HomePhoneEng=Home phone", "MobileEng=Mobile",
      "BusinessPhoneEng=Business phone", "JobTitleEng=Job title", "DepartmentEng=Department",
      "CompanyNameEng=Company", "IcqEng=ICQ", "BirthDayEng=Birthday", "HeaderNameEng=Name",
      "HeaderEmailEng=E-mail", "HeaderHomePhoneEng=Home phone",
  };
  Text text = u"\xFEFF";
  for (const char* line : lines) text += T(line) + u"\r\n";
  return LittleEndianBytes(text);
}


// ---- message boxes ----

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers)
    : uiThread_(GetCurrentThreadId()), answers_(std::move(answers)), thread_([this] { Run(); }) {}

MessageBoxAnswerer::MessageBoxAnswerer(DWORD processId, std::vector<int> answers)
    : uiThread_(0), processId_(processId), answers_(std::move(answers)), thread_([this] { Run(); }) {}

std::unique_ptr<MessageBoxAnswerer> MessageBoxAnswerer::ForProcess(DWORD processId, std::vector<int> answers) {
  return std::unique_ptr<MessageBoxAnswerer>(new MessageBoxAnswerer(processId, std::move(answers)));
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  stop_ = true;
  thread_.join();
}

std::vector<MessageBoxAnswerer::Box> MessageBoxAnswerer::boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

namespace {

struct BoxSearch {
  DWORD processId = 0;  // 0: any
  HWND box = nullptr;
};

BOOL CALLBACK FindDialogBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->processId != 0 && owner != search->processId) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
    reinterpret_cast<BoxSearch*>(context)->box = window;
    return FALSE;
  }
  return TRUE;
}

Text WindowTextOf(HWND window) {
  wchar_t buffer[512] = {};
  InternalGetWindowText(window, buffer, 511);
  return Text(reinterpret_cast<const char16_t*>(buffer));
}

}  // namespace

HWND MessageBoxAnswerer::FindBox() const {
  BoxSearch search;
  if (processId_ != 0) {
    search.processId = processId_;
    EnumWindows(FindDialogBox, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumThreadWindows(uiThread_, FindDialogBox, reinterpret_cast<LPARAM>(&search));
  }
  return search.box;
}

void MessageBoxAnswerer::Run() {
  while (!stop_) {
    HWND box = FindBox();
    if (box == nullptr) {
      Sleep(5);
      continue;
    }
    // Give the box a moment to finish building its children.
    Sleep(20);
    Box seen;
    seen.caption = WindowTextOf(box);
    seen.text = WindowTextOf(GetDlgItem(box, 0xFFFF));
    seen.hasYesNo = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
    int answer = seen.hasYesNo ? IDNO : IDOK;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (nextAnswer_ < answers_.size()) answer = answers_[nextAnswer_++];
      boxes_.push_back(seen);
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    // Wait until this box has gone, so it is answered only once.
    for (int i = 0; i < 2000 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(2);
  }
}

// ---- the host window ----

namespace {

constexpr wchar_t kHostClass[] = L"OndrelPageTestHost";

// Under Wine without a window manager, every hidden or destroyed window that
// Wine thinks is managed waits two seconds for the manager's answer (the
// host window and every message box). Unmanaged windows close at once. Must
// run before the first window exists; does nothing outside Wine.
void UseUnmanagedWineWindows() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  static const wchar_t kNo[] = L"N";
  RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo), sizeof(kNo));
  RegCloseKey(key);
}

void RegisterHostClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  UseUnmanagedWineWindows();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kHostClass;
  RegisterClassExW(&windowClass);
  registered = true;
}

std::unique_ptr<Page> MakePage(PageKind kind, const LanguageTable& language) {
  switch (kind) {
    case PageKind::kNote: return MakeNotePage(language);
    case PageKind::kPassword: return MakePasswordPage(language);
    case PageKind::kPhone: return MakePhonePage(language);
  }
  return nullptr;
}

}  // namespace

LRESULT CALLBACK PageHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<Page*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (page == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_CLOSE) {
    // As the organiser's main window closes: only when the page may close.
    if (page->OfferToSave()) DestroyWindow(window);
    return 0;
  }
  return page->HandleMessage(window, message, wParam, lParam);
}

PageHost::PageHost(PageKind kind, const Text& databaseText, int clientWidth, int clientHeight)
    : files_(NewPlatformFileSystem()), clock_(LocalTime{2011, 2, 1, 10, 30}) {
  WriteFileBytes(DatabasePath(), LittleEndianBytes(databaseText));
  language_.LoadFromBytes(TestLanguageBytes());
  database_ = std::make_unique<Database>(*files_, clock_);
  database_->Load(folder_.File("ondrel.db"));
  std::unique_ptr<Page> page = MakePage(kind, language_);
  page_.reset(dynamic_cast<RecordPage*>(page.release()));

  RegisterHostClass(&PageHost::WindowProc);
  // A popup has no frame, so its client area is exactly the size asked for.
  window_ = CreateWindowExW(0, kHostClass, L"page test", WS_POPUP | WS_CLIPCHILDREN, 20, 20,
                            clientWidth, clientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page_.get()));
  page_->Create(window_, database_.get());
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  page_->Show();
}

PageHost::~PageHost() {
  if (window_ != nullptr) {
    // Leaving a test asks nothing: the page no longer hears the window.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void PageHost::Close() {
  // As the close box does: the page asks, then the window goes unless a
  // save it was asked for failed.
  SendMessageW(window_, WM_CLOSE, 0, 0);
  if (!IsWindow(window_)) window_ = nullptr;
}

void PageHost::Type(int editId, const Text& text) {
  SendMessageW(Control(editId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PageHost::Click(int buttonId) {
  SendMessageW(Control(buttonId), BM_CLICK, 0, 0);
}

void PageHost::ClickRow(int row) {
  // A click drops the old selection and selects and focuses the new row.
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&select));
}

void PageHost::Resize(int clientWidth, int clientHeight) {
  SetWindowPos(window_, nullptr, 0, 0, clientWidth, clientHeight, SWP_NOMOVE | SWP_NOZORDER);
  page_->Layout();
}

Text PageHost::EditText(int editId) const {
  HWND edit = Control(editId);
  const int length = GetWindowTextLengthW(edit);
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(edit, &buffer[0], length + 1);
  buffer.resize(static_cast<std::size_t>(length));
  return Text(reinterpret_cast<const char16_t*>(buffer.c_str()), buffer.size());
}

int PageHost::RowCount() const {
  return static_cast<int>(SendMessageW(ListView(), LVM_GETITEMCOUNT, 0, 0));
}

Text PageHost::Cell(int row, int column) const {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 511;
  SendMessageW(ListView(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return Text(reinterpret_cast<const char16_t*>(buffer));
}

Document* PageHost::RowDocument(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(ListView(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<Document*>(item.lParam);
}

std::vector<int> PageHost::SelectedRows() const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(ListView(), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) != -1) {
    rows.push_back(row);
  }
  return rows;
}

int PageHost::SelectedRow() const {
  const std::vector<int> rows = SelectedRows();
  return rows.size() == 1 ? rows[0] : -1;
}

std::vector<unsigned char> PageHost::DatabaseFileBytes() const { return ReadFileBytes(DatabasePath()); }

Text PageHost::DatabaseFileText() const { return TextOfLittleEndianBytes(DatabaseFileBytes()); }

RECT ChildRect(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace ondrel::test
