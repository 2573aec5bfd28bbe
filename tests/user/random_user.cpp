#include "tests/user/random_user.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

#include "tests/user/live_organiser.h"

namespace ondrel::test {
namespace {

using Field = std::optional<std::wstring>;
using Fields = std::vector<Field>;

struct PageSpec {
  const wchar_t* kind;
  int tab;
  int list;
  int save;  // Cancel, Remove, New follow
  std::vector<int> form;
  std::vector<const wchar_t*> tags;
  std::vector<int> columns;  // form field shown per column; -1: the date
};

const std::vector<PageSpec>& Pages() {
  static const std::vector<PageSpec> pages{
      {L"NoteDocument", 300, 113, 102, {110, 111, 112}, {L"Subject", L"Keywords", L"Body"}, {-1, 1, 0}},
      {L"PasswordDocument", 301, 131, 122, {127, 128, 129, 130}, {L"Site", L"Login", L"Password", L"Body"}, {0, 1}},
      {L"PhoneDocument", 302, 161, 142,
       {147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160},
       {L"FirstName", L"MiddleName", L"LastName", L"NicName", L"Email", L"HomePhone", L"Mobile",
        L"BusinessPhone", L"JobTitle", L"Department", L"CompanyName", L"Icq", L"BirthDay", L"Body"},
       {3, 4, 5}},
  };
  return pages;
}

constexpr int kFindId = 100;
const int kSearchEdits[] = {107, 108, 109};  // Subject, Keywords, Body

int DayNumber(int year, int month, int day) { return day + 31 * month + 372 * year; }

// The starting database: more notes than the note list shows at once.
struct Seed {
  int page;
  std::vector<const wchar_t*> values;  // by form field; empty strings are left out
};
const std::vector<Seed>& StartingRecords() {
  static const std::vector<Seed> seeds{
      {0, {L"Shopping", L"home", L"milk\r\nbread"}}, {1, {L"mail.example.org", L"alice", L"horse", L""}},
      {0, {L"Car", L"car red", L""}},                 {2, {L"Ann", L"", L"Lee", L"Annie", L"ann@x.org", L"555"}},
      {0, {L"Holiday", L"", L"Train & <coast>"}},     {0, {L"Dentist", L"health", L"Tuesday"}},
      {1, {L"bank", L"", L"", L"pin & <card>"}},      {0, {L"Books", L"read", L"list"}},
      {2, {L"Bob", L"", L"Brown", L"Bob"}},           {0, {L"Garden", L"home", L"roses"}},
  };
  return seeds;
}

std::wstring Encode(const std::wstring& value) {
  std::wstring out;
  for (wchar_t c : value) {
    if (c == L'&') out += L"&amp;";
    else if (c == L'<') out += L"&lt;";
    else out.push_back(c);
  }
  return out;
}

std::wstring StartingFile() {
  std::wstring text = L"<Database>";
  for (const Seed& seed : StartingRecords()) {
    const PageSpec& page = Pages()[static_cast<std::size_t>(seed.page)];
    text += L"<Document><DocumentType>" + std::wstring(page.kind) +
            L"</DocumentType><CreateDate>01.01.2011 08:00</CreateDate><ModifyDate>01.01.2011 08:00</ModifyDate>";
    for (std::size_t f = 0; f < seed.values.size(); ++f) {
      if (seed.values[f][0] == L'\0') continue;
      text += L"<" + std::wstring(page.tags[f]) + L">" + Encode(seed.values[f]) + L"</" + page.tags[f] + L">";
    }
    text += L"</Document>";
  }
  return text + L"</Database>";
}

// One record of the file as loaded: its kind and its non-empty elements.
struct FileRecord {
  std::wstring kind;
  std::vector<std::pair<std::wstring, std::wstring>> elements;
  int day = 0;  // of the modification stamp; not compared (the clock moves)
  bool operator==(const FileRecord& other) const { return kind == other.kind && elements == other.elements; }
};

std::wstring Decode(const std::wstring& raw) {
  std::wstring out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw.compare(i, 5, L"&amp;") == 0) { out.push_back(L'&'); i += 4; }
    else if (raw.compare(i, 4, L"&lt;") == 0) { out.push_back(L'<'); i += 3; }
    else out.push_back(raw[i]);
  }
  return out;
}

std::vector<FileRecord> ParseFile(const std::wstring& text, bool& wellFormed) {
  std::vector<FileRecord> records;
  wellFormed = text.rfind(L"<Database>", 0) == 0 && text.size() >= 21 &&
               text.compare(text.size() - 11, 11, L"</Database>") == 0;
  std::size_t at = 0;
  while ((at = text.find(L"<Document>", at)) != std::wstring::npos) {
    const std::size_t end = text.find(L"</Document>", at);
    if (end == std::wstring::npos) { wellFormed = false; break; }
    const std::wstring block = text.substr(at + 10, end - at - 10);
    FileRecord record;
    std::size_t p = 0;
    while (p < block.size() && block[p] == L'<') {
      const std::size_t close = block.find(L'>', p);
      const std::wstring tag = block.substr(p + 1, close - p - 1);
      const std::size_t stop = block.find(L"</" + tag + L">", close);
      if (close == std::wstring::npos || stop == std::wstring::npos) { wellFormed = false; break; }
      const std::wstring value = Decode(block.substr(close + 1, stop - close - 1));
      if (tag == L"DocumentType") record.kind = value;
      else if (tag == L"ModifyDate" && value.size() >= 10)
        record.day = DayNumber(std::stoi(value.substr(6, 4)), std::stoi(value.substr(3, 2)), std::stoi(value.substr(0, 2)));
      else if (tag != L"CreateDate" && tag != L"ModifyDate") record.elements.emplace_back(tag, value);
      p = stop + tag.size() + 3;
    }
    records.push_back(record);
    at = end + 11;
  }
  return records;
}

struct Record {
  int page;
  Fields memory;
  int day;
  bool removed = false;
  // What the file holds of it; inFile false for a record never written.
  Fields written;
  bool inFile = false;
};

struct PageState {
  int current = -1;  // index into the store; -1: a new form
  std::vector<std::wstring> form;
  std::vector<int> rows;  // store indices, in list order
};

// What the organiser must hold, and how it must answer the user.
class Model {
 public:
  Model() { Reload(LoadRecords(StartingFile())); }

  // After a start: the store is the file.
  void Reload(const std::vector<FileRecord>& file) {
    store_.clear();
    for (const FileRecord& loaded : file) {
      // The day searched is the one the file holds, saved today or earlier.
      Record record{PageOf(loaded.kind), {}, loaded.day};
      const PageSpec& shape = Pages()[static_cast<std::size_t>(record.page)];
      record.memory.assign(shape.tags.size(), std::nullopt);
      for (const auto& [tag, value] : loaded.elements) {
        for (std::size_t f = 0; f < shape.tags.size(); ++f) {
          if (tag == shape.tags[f]) record.memory[f] = value;
        }
      }
      record.written = record.memory;
      record.inFile = true;
      store_.push_back(record);
    }
    for (int p = 0; p < 3; ++p) {
      PageState& page = pages_[p];
      page = PageState{};
      for (int r = 0; r < static_cast<int>(store_.size()); ++r) {
        if (store_[static_cast<std::size_t>(r)].page == p) page.rows.push_back(r);
      }
      page.current = page.rows.empty() ? -1 : page.rows[0];
      page.form = FormOf(p, page.current);
    }
    file_ = Snapshot();
    fileBehind_ = false;
    active_ = 0;
    for (auto& text : search_) text.clear();
    toPicked_ = false;
  }

  static std::vector<FileRecord> LoadRecords(const std::wstring& text) {
    bool wellFormed = true;
    return ParseFile(text, wellFormed);
  }

  // The boxes an action raises, in order: true for the save question,
  // false for the warning. Each procedure below appends to it.
  std::vector<bool> boxes;
  std::uint32_t answers = 0;
  int today = 0;

  bool Ask(int p) {
    if (!Unsaved(p)) return true;
    const bool yes = ((answers >> QuestionsAsked()) & 1u) != 0;
    boxes.push_back(true);
    if (!yes) {
      GiveUp(p);
      return true;
    }
    return Save(p);
  }

  // No: the record goes back to what the file holds, in memory, row and
  // form; one never written leaves the list.
  void GiveUp(int p) {
    PageState& page = pages_[p];
    const bool reverts = page.current >= 0;
    if (reverts) {
      Record& record = store_[static_cast<std::size_t>(page.current)];
      if (record.inFile) {
        record.memory = record.written;
      } else {
        record.removed = true;
        page.rows.erase(std::find(page.rows.begin(), page.rows.end(), page.current));
        page.current = -1;
      }
    }
    page.form = FormOf(p, page.current);
    // The store looks at the file again only when it puts a record back.
    if (reverts && fileBehind_) {
      fileBehind_ = std::any_of(store_.begin(), store_.end(), [](const Record& r) {
        return !r.removed && (!r.inFile || r.memory != r.written);
      });
    }
  }

  // The session ends: the active page saves without asking. False when the
  // save failed (no warning: nobody may be there).
  bool LogOff() { return !Unsaved(active_) || Save(active_, true); }

  bool Save(int p, bool quiet = false) {
    PageState& page = pages_[p];
    const PageSpec& shape = Pages()[static_cast<std::size_t>(p)];
    bool changed = false;
    const bool whole = page.current < 0;
    if (whole) {
      store_.push_back(Record{p, Fields(shape.tags.size(), std::nullopt), today});
      page.current = static_cast<int>(store_.size()) - 1;
    }
    Record& record = store_[static_cast<std::size_t>(page.current)];
    // A new record is written whole; a shown one only in the fields the user
    // changed (the others keep their stored text, absent ones included).
    for (std::size_t f = 0; f < shape.tags.size(); ++f) {
      if (whole || record.memory[f].value_or(L"") != page.form[f]) {
        record.memory[f] = page.form[f];
        changed = true;
      }
    }
    if (changed) record.day = today;
    bool written = true;
    if (changed || fileBehind_) written = Write(quiet);
    if (std::find(page.rows.begin(), page.rows.end(), page.current) == page.rows.end()) {
      page.rows.push_back(page.current);
    }
    return written;
  }

  void ClickRow(int p, int row) {
    PageState& page = pages_[p];
    const int chosen = page.rows[static_cast<std::size_t>(row)];
    if (chosen == page.current) return;
    if (!Ask(p)) return;
    Show(p, chosen);
  }

  void ClickTab(int p) {
    if (p == active_) return;
    if (!Ask(active_)) return;
    active_ = p;
  }

  void Cancel(int p) { pages_[p].form = FormOf(p, pages_[p].current); }

  void Remove(int p) {
    PageState& page = pages_[p];
    if (page.current < 0) return;
    Record& record = store_[static_cast<std::size_t>(page.current)];
    record.removed = true;
    if (!Write()) {
      record.removed = false;
      return;
    }
    auto at = std::find(page.rows.begin(), page.rows.end(), page.current);
    const std::size_t index = static_cast<std::size_t>(at - page.rows.begin());
    page.rows.erase(at);
    page.current = -1;
    page.form = FormOf(p, -1);
    if (page.rows.empty()) return;
    Show(p, page.rows[index == page.rows.size() ? index - 1 : index]);
  }

  void New(int p) {
    if (!Ask(p)) return;
    pages_[p].current = -1;
    pages_[p].form = FormOf(p, -1);
  }

  // fromDay and toDay as the pickers show them before the click.
  void Find(int fromDay, int toDay) {
    PageState& page = pages_[0];
    if (!Ask(0)) return;
    if (!toPicked_) toDay = today;
    page.rows.clear();
    for (int r = 0; r < static_cast<int>(store_.size()); ++r) {
      const Record& record = store_[static_cast<std::size_t>(r)];
      if (record.page == 0 && !record.removed && record.day >= fromDay && record.day <= toDay && Matches(record)) {
        page.rows.push_back(r);
      }
    }
    if (page.rows.empty()) {
      page.current = -1;
      page.form = FormOf(0, -1);
      return;
    }
    // The first row is selected, and its selection asks like a click.
    if (page.rows[0] == page.current) return;
    if (!Ask(0)) return;
    Show(0, page.rows[0]);
  }

  // Closing: false when the window stays open.
  bool Close() { return Ask(active_); }

  void TypeIntoForm(int p, std::size_t field, const std::wstring& text) { pages_[p].form[field] += text; }
  void TypeIntoSearch(std::size_t field, const std::wstring& text) { search_[field] += text; }
  void PickTo() { toPicked_ = true; }
  void SetBlocked(bool blocked) { blocked_ = blocked; }

  int active() const { return active_; }
  const PageState& page(int p) const { return pages_[p]; }
  const Record& record(int index) const { return store_[static_cast<std::size_t>(index)]; }
  const std::vector<FileRecord>& file() const { return file_; }

 private:
  static int PageOf(const std::wstring& kind) {
    for (int p = 0; p < 3; ++p) {
      if (kind == Pages()[static_cast<std::size_t>(p)].kind) return p;
    }
    return -1;
  }

  int QuestionsAsked() const { return static_cast<int>(std::count(boxes.begin(), boxes.end(), true)); }

  std::vector<std::wstring> FormOf(int p, int index) const {
    const std::size_t count = Pages()[static_cast<std::size_t>(p)].tags.size();
    std::vector<std::wstring> form(count);
    if (index < 0) return form;
    for (std::size_t f = 0; f < count; ++f) form[f] = store_[static_cast<std::size_t>(index)].memory[f].value_or(L"");
    return form;
  }

  void Show(int p, int index) {
    pages_[p].current = index;
    pages_[p].form = FormOf(p, index);
  }

  bool Unsaved(int p) const {
    const PageState& page = pages_[p];
    if (page.current < 0) {
      return std::any_of(page.form.begin(), page.form.end(), [](const std::wstring& t) { return !t.empty(); });
    }
    return fileBehind_ || page.form != FormOf(p, page.current);
  }

  bool Write(bool quiet = false) {
    if (blocked_) {
      fileBehind_ = true;
      if (!quiet) boxes.push_back(false);
      return false;
    }
    file_ = Snapshot();
    fileBehind_ = false;
    for (Record& record : store_) {
      record.written = record.memory;
      record.inFile = !record.removed;
    }
    return true;
  }

  std::vector<FileRecord> Snapshot() const {
    std::vector<FileRecord> file;
    for (const Record& record : store_) {
      if (record.removed) continue;
      const PageSpec& shape = Pages()[static_cast<std::size_t>(record.page)];
      FileRecord written{shape.kind, {}, record.day};
      for (std::size_t f = 0; f < shape.tags.size(); ++f) {
        if (record.memory[f] && !record.memory[f]->empty()) written.elements.emplace_back(shape.tags[f], *record.memory[f]);
      }
      file.push_back(written);
    }
    return file;
  }

  static bool Contains(const std::wstring& value, const std::wstring& term) {
    auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
    for (std::size_t start = 0; start < value.size(); ++start) {
      std::size_t i = 0;
      while (i < term.size() && start + i < value.size() && fold(value[start + i]) == fold(term[i])) ++i;
      if (i == term.size()) return true;
    }
    return false;
  }

  bool Matches(const Record& record) const {
    const std::size_t fields[] = {0, 1, 2};  // Subject, Keywords, Body
    for (std::size_t s = 0; s < 3; ++s) {
      std::wistringstream words(search_[s]);
      std::wstring term;
      const Field& value = record.memory[fields[s]];
      while (words >> term) {
        if (!value || value->empty() || !Contains(*value, term)) return false;
      }
    }
    return true;
  }

  std::vector<Record> store_;
  PageState pages_[3];
  std::vector<FileRecord> file_;
  bool fileBehind_ = false;
  bool blocked_ = false;
  int active_ = 0;
  std::wstring search_[3];
  bool toPicked_ = false;
};

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r') out += "\\r";
    else if (c == L'\n') out += "\\n";
    else out.push_back(c < 128 ? static_cast<char>(c) : '?');
  }
  return out;
}

int TodayNumber() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return DayNumber(now.wYear, now.wMonth, now.wDay);
}

// Drives one organiser through the actions and checks it against the model.
class Runner {
 public:
  Runner() : folder_(StartingFile()) {}

  RandomUserResult Run(const std::vector<UserAction>& actions) {
    RandomUserResult result;
    if (!Start()) {
      result.failedAt = 0;
      result.failure = "the organiser did not start: " + app_->StartFailure();
      return result;
    }
    for (std::size_t i = 0; i < actions.size(); ++i) {
      // A hidden page changes only through a tab switch or a restart.
      const bool everyPage = actions[i].kind == UserAction::Kind::kClickTab ||
                             actions[i].kind == UserAction::Kind::kRestart ||
                             actions[i].kind == UserAction::Kind::kLogOff;
      std::string failure = Do(actions[i]);
      if (failure.empty()) {
        app_->WaitUntil([&] {
          failure = Check(everyPage);
          return failure.empty();
        });
      }
      result.actionsRun = static_cast<int>(i) + 1;
      if (!failure.empty()) {
        // Time to look at the screen before the organiser is ended.
        if (GetEnvironmentVariableA("ONDREL_RANDOM_PAUSE", nullptr, 0) > 0) {
          std::printf("paused: %s\n", failure.c_str());
          std::fflush(stdout);
          Sleep(30000);
        }
        result.failedAt = static_cast<int>(i);
        result.failure = failure;
        return result;
      }
    }
    if (app_->Running()) {
      // Leave without questions: nothing below is the user's.
      app_.reset();
    }
    return result;
  }

 private:
  bool Start() {
    app_ = std::make_unique<LiveOrganiser>(folder_);
    return app_->Start();
  }

  HWND Item(int id) const { return app_->Item(id); }

  // Performs the input, answers the boxes the model expects, and reports
  // a box that differs.
  std::string Do(const UserAction& action) {
    model_.boxes.clear();
    model_.answers = action.answers;
    model_.today = TodayNumber();
    const int p = model_.active();
    const PageSpec& shape = Pages()[static_cast<std::size_t>(p)];
    const HWND list = Item(shape.list);
    switch (action.kind) {
      case UserAction::Kind::kClickRow: {
        const int count = app_->RowCount(list);
        if (count == 0) return "";
        const int top = app_->TopRow(list);
        const int visible = std::max(1, std::min(app_->RowsPerPage(list), count - top));
        const int row = top + action.choice % visible;
        if (row >= static_cast<int>(model_.page(p).rows.size())) return "list has more rows than the model";
        model_.ClickRow(p, row);
        const RECT rect = app_->RowRect(list, row);
        if (!app_->Click(list, rect.left + 4 + action.choice % 20, (rect.top + rect.bottom) / 2)) {
          return "the row could not be clicked";
        }
        // A list takes no hold of the mouse: its click is handled once the
        // list has the focus, or a question is open.
        app_->WaitUntil([&] { return app_->Focus() == list || !app_->MessageBoxes().empty(); });
        break;
      }
      case UserAction::Kind::kClickTab: {
        const int target = action.choice % 3;
        model_.ClickTab(target);
        if (!app_->Click(Item(Pages()[static_cast<std::size_t>(target)].tab))) return "the tab could not be clicked";
        break;
      }
      case UserAction::Kind::kClickButton: {
        const int buttons = p == 0 ? 5 : 4;
        const int which = action.choice % buttons;
        PressButton(p, which);
        if (!app_->Click(Item(which == 4 ? kFindId : shape.save + which))) return "the button could not be clicked";
        break;
      }
      case UserAction::Kind::kClickEdit: {
        const int edits = static_cast<int>(shape.form.size()) + (p == 0 ? 3 : 0);
        const int which = action.choice % edits;
        const int id = which < static_cast<int>(shape.form.size()) ? shape.form[static_cast<std::size_t>(which)]
                                                                  : kSearchEdits[which - shape.form.size()];
        RECT rect{};
        GetClientRect(Item(id), &rect);
        if (!app_->Click(Item(id), 2 + action.choice % std::max(1, static_cast<int>(rect.right) - 4),
                         rect.bottom / 2)) {
          return "the edit could not be clicked";
        }
        if (!app_->WaitUntil([&] { return app_->Focus() == Item(id); })) return "a clicked edit did not take the focus";
        break;
      }
      case UserAction::Kind::kType:
      case UserAction::Kind::kEnter: {
        const HWND focus = app_->Focus();
        const int id = GetDlgCtrlID(focus);
        const bool enter = action.kind == UserAction::Kind::kEnter;
        const std::wstring text = enter ? L"\r\n" : action.text;
        bool typed = false;
        for (std::size_t f = 0; f < shape.form.size(); ++f) {
          const bool multiLine = f + 1 == shape.form.size();
          if (id == shape.form[f] && (!enter || multiLine)) {
            model_.TypeIntoForm(p, f, text);
            typed = true;
          }
        }
        for (std::size_t s = 0; s < 3 && p == 0 && !enter; ++s) {
          if (id == kSearchEdits[s]) {
            model_.TypeIntoSearch(s, text);
            typed = true;
          }
        }
        if (!typed && !enter) return "";  // only edits take typed text here
        // Enter presses a push button with the focus that the dialog keys
        // made the default one (reached by Tab from outside the ring).
        const bool isDefault = (GetWindowLongW(focus, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
        for (int which = 0; enter && isDefault && which < 4; ++which) {
          if (id == shape.save + which) PressButton(p, which);
        }
        if (enter && isDefault && p == 0 && id == kFindId) PressButton(p, 4);
        if (typed) app_->Key(VK_END, true);
        app_->Type(enter ? L"\r" : text);
        break;
      }
      case UserAction::Kind::kTab: {
        // The next action looks where the focus is: wait until it has moved.
        const HWND before = app_->Focus();
        app_->Key(VK_TAB);
        app_->WaitUntil([&] { return app_->Focus() != before; });
        break;
      }
      case UserAction::Kind::kEsc: app_->Key(VK_ESCAPE); break;
      case UserAction::Kind::kPicker: {
        if (p != 0) return "";
        const bool to = action.choice % 2 == 1;
        if (to) model_.PickTo();
        const HWND picker = Pickers()[to ? 1 : 0];
        if (!app_->Click(picker, 8, 10)) return "the date picker could not be clicked";
        app_->WaitUntil([&] { return app_->Focus() == picker; });
        for (int step = 0; step < std::abs(action.count); ++step) {
          // Find reads the dates shown: each step must have reached them.
          const SYSTEMTIME before = app_->PickerDate(picker);
          app_->Key(action.count > 0 ? VK_UP : VK_DOWN);
          app_->WaitUntil([&] {
            const SYSTEMTIME now = app_->PickerDate(picker);
            return now.wDay != before.wDay || now.wMonth != before.wMonth || now.wYear != before.wYear;
          });
        }
        break;
      }
      case UserAction::Kind::kBlockSaves:
        folder_.BlockSaves();
        model_.SetBlocked(true);
        return "";
      case UserAction::Kind::kUnblockSaves:
        folder_.UnblockSaves();
        model_.SetBlocked(false);
        return "";
      case UserAction::Kind::kClickListSpace: {
        RECT client{};
        GetClientRect(list, &client);
        const int count = app_->RowCount(list);
        const int below = count == 0 ? 30 : app_->RowRect(list, count - 1).bottom + 3;
        if (below + 3 >= client.bottom) return "";  // the rows fill the list
        app_->Click(list, 5 + action.choice % std::max(1, static_cast<int>(client.right) - 10),
                    below + action.choice % (client.bottom - below - 2));
        break;
      }
      case UserAction::Kind::kLogOff: {
        const bool ends = model_.LogOff();
        LRESULT answer = -1;
        if (!app_->SendToMain(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, answer)) {
          return "WM_QUERYENDSESSION was not answered";
        }
        if ((answer != FALSE) != ends) {
          return ends ? "the session end was refused" : "the session end was allowed though the save failed";
        }
        app_->SendToMain(WM_ENDSESSION, ends ? TRUE : FALSE, ENDSESSION_LOGOFF, answer);
        if (!app_->MessageBoxes().empty()) return "a message box at the session's end";
        if (!ends) return "";
        // Windows ends the process once the session has ended.
        app_->Kill();
        std::string failure = CheckFile();
        if (!failure.empty()) return failure;
        model_.Reload(model_.file());
        if (!Start()) return "the organiser did not start again: " + app_->StartFailure();
        return "";
      }
      case UserAction::Kind::kRestart: {
        const bool closes = model_.Close();
        app_->Key(VK_F4, false, true);
        std::string failure = AnswerBoxes(action);
        if (!failure.empty() || !closes) return failure;
        const DWORD code = app_->WaitForExit();
        if (code != 0) return "closing ended with exit code " + std::to_string(code);
        failure = CheckFile();
        if (!failure.empty()) return failure;
        model_.Reload(model_.file());
        if (!Start()) return "the organiser did not start again: " + app_->StartFailure();
        return "";
      }
    }
    return AnswerBoxes(action);
  }

  // From and to, left to right on screen.
  // What the model does for Save, Cancel, Remove, New and Find (0 to 4).
  void PressButton(int p, int which) {
    switch (which) {
      case 0: model_.Save(p); break;
      case 1: model_.Cancel(p); break;
      case 2: model_.Remove(p); break;
      case 3: model_.New(p); break;
      default: {
        const SYSTEMTIME from = app_->PickerDate(Pickers()[0]);
        const SYSTEMTIME to = app_->PickerDate(Pickers()[1]);
        model_.Find(DayNumber(from.wYear, from.wMonth, from.wDay), DayNumber(to.wYear, to.wMonth, to.wDay));
        break;
      }
    }
  }

  std::vector<HWND> Pickers() const {
    std::vector<HWND> pickers = app_->ChildrenOfClass(L"SysDateTimePick32");
    std::sort(pickers.begin(), pickers.end(), [](HWND a, HWND b) {
      RECT ra{}, rb{};
      GetWindowRect(a, &ra);
      GetWindowRect(b, &rb);
      return ra.left < rb.left;
    });
    return pickers;
  }

  std::string AnswerBoxes(const UserAction& action) {
    int questions = 0;
    for (bool question : model_.boxes) {
      if (!app_->Running()) return "the organiser ended";
      std::vector<HWND> open;
      app_->WaitUntil([&] {
        open = app_->MessageBoxes();
        // Found as soon as it is visible, before it has all its buttons.
        return open.size() == 1 && (GetDlgItem(open[0], IDOK) != nullptr || GetDlgItem(open[0], IDYES) != nullptr);
      });
      if (open.size() != 1) {
        return std::to_string(open.size()) + " message boxes open where the " +
               (question ? "save question" : "warning") + " was due";
      }
      const bool asks = GetDlgItem(open[0], IDYES) != nullptr;
      if (asks != question) return question ? "a warning instead of the save question" : "a question instead of the warning";
      const bool yes = ((action.answers >> questions) & 1u) != 0;
      if (question) ++questions;
      app_->Answer(open[0], question ? (yes ? IDYES : IDNO) : IDOK);
    }
    return "";
  }

  std::string CheckFile() const {
    bool wellFormed = true;
    const std::vector<FileRecord> file = ParseFile(folder_.DatabaseText(), wellFormed);
    if (!wellFormed) return "ondrel.db is not well formed";
    if (file == model_.file()) return "";
    std::ostringstream out;
    out << "ondrel.db holds " << file.size() << " records, the model " << model_.file().size();
    for (std::size_t i = 0; i < std::max(file.size(), model_.file().size()); ++i) {
      auto describe = [](const std::vector<FileRecord>& records, std::size_t index) {
        if (index >= records.size()) return std::string("-");
        std::string text = Narrow(records[index].kind);
        for (const auto& [tag, value] : records[index].elements) text += " " + Narrow(tag) + "=" + Narrow(value);
        return text;
      };
      const std::string got = describe(file, i), expected = describe(model_.file(), i);
      if (got != expected) {
        out << "; record " << i << ": file [" << got << "] model [" << expected << "]";
        break;
      }
    }
    return out.str();
  }

  std::string Check(bool everyPage) const {
    if (!app_->Running()) return "the organiser ended";
    const std::vector<HWND> open = app_->MessageBoxes();
    if (!open.empty()) return std::to_string(open.size()) + " message box(es) left open";
    const HWND focus = app_->Focus();
    if (focus == nullptr || !IsChild(app_->main(), focus) || !IsWindowVisible(focus)) {
      return "the focus is not on a control of the shown page";
    }
    for (int p = 0; p < 3; ++p) {
      if (!everyPage && p != model_.active()) continue;
      const PageSpec& shape = Pages()[static_cast<std::size_t>(p)];
      const PageState& page = model_.page(p);
      const std::string where = Narrow(shape.kind) + ": ";
      if (IsWindowVisible(Item(shape.list)) != (p == model_.active())) return where + "the wrong page is shown";
      for (std::size_t f = 0; f < shape.form.size(); ++f) {
        const std::wstring shown = app_->Text(Item(shape.form[f]));
        if (shown != page.form[f]) {
          return where + "form field " + Narrow(shape.tags[f]) + " shows \"" + Narrow(shown) + "\", model \"" +
                 Narrow(page.form[f]) + "\"";
        }
      }
      const HWND list = Item(shape.list);
      if (app_->RowCount(list) != static_cast<int>(page.rows.size())) {
        return where + std::to_string(app_->RowCount(list)) + " rows, model " + std::to_string(page.rows.size());
      }
      for (std::size_t row = 0; row < page.rows.size(); ++row) {
        const Record& record = model_.record(page.rows[row]);
        for (std::size_t c = 0; c < shape.columns.size(); ++c) {
          if (shape.columns[c] < 0) continue;
          const std::wstring cell = app_->Cell(list, static_cast<int>(row), static_cast<int>(c));
          const std::wstring expected = record.memory[static_cast<std::size_t>(shape.columns[c])].value_or(L"");
          if (cell != expected) {
            return where + "row " + std::to_string(row) + " shows \"" + Narrow(cell) + "\", model \"" +
                   Narrow(expected) + "\"";
          }
        }
      }
      std::vector<int> highlighted;
      const auto at = std::find(page.rows.begin(), page.rows.end(), page.current);
      if (page.current >= 0 && at != page.rows.end()) highlighted.push_back(static_cast<int>(at - page.rows.begin()));
      if (app_->SelectedRows(list) != highlighted) {
        std::string rows;
        for (int row : app_->SelectedRows(list)) rows += " " + std::to_string(row);
        return where + "highlighted rows [" + rows + " ] do not hold the record in the form" +
               (highlighted.empty() ? " (none expected)" : " (row " + std::to_string(highlighted[0]) + ")");
      }
    }
    return CheckFile();
  }

  OrganiserFolder folder_;
  std::unique_ptr<LiveOrganiser> app_;
  Model model_;
};

}  // namespace

std::string UserAction::Describe() const {
  static const char* const kNames[] = {"click row", "click tab", "click button", "click edit", "type", "Enter",
                                       "Tab", "Esc", "picker", "block saves", "unblock saves", "close and restart",
                                       "log off", "click below the rows"};
  std::ostringstream out;
  out << kNames[static_cast<int>(kind)];
  switch (kind) {
    case Kind::kClickRow: out << " " << choice; break;
    case Kind::kClickTab: out << " " << (choice % 3 == 0 ? "notes" : choice % 3 == 1 ? "passwords" : "phone book"); break;
    case Kind::kClickButton: out << " " << choice << " (Save, Cancel, Remove, New, Find)"; break;
    case Kind::kClickEdit:
    case Kind::kClickListSpace: out << " " << choice; break;
    case Kind::kType: out << " \"" << Narrow(text) << "\""; break;
    case Kind::kPicker: out << (choice % 2 ? " to " : " from ") << count; break;
    default: break;
  }
  if (answers != 0) out << " [answers " << (answers & 1 ? "Yes" : "No") << "," << (answers & 2 ? "Yes" : "No") << "]";
  return out.str();
}

std::vector<UserAction> RandomActions(std::uint32_t seed, int count) {
  std::mt19937 random(seed);
  using Kind = UserAction::Kind;
  struct Weighted {
    Kind kind;
    int weight;
  };
  static const Weighted kWeights[] = {
      {Kind::kClickRow, 14}, {Kind::kClickTab, 8}, {Kind::kClickButton, 20}, {Kind::kClickEdit, 14},
      {Kind::kType, 22},     {Kind::kEnter, 5},    {Kind::kTab, 6},          {Kind::kEsc, 3},
      {Kind::kPicker, 2},    {Kind::kBlockSaves, 3}, {Kind::kUnblockSaves, 3}, {Kind::kRestart, 2},
      {Kind::kLogOff, 2},    {Kind::kClickListSpace, 4},
  };
  int total = 0;
  for (const Weighted& w : kWeights) total += w.weight;
  static const wchar_t kAlphabet[] = L"abcdefgxyzABCXYZ0189 <&-";
  std::vector<UserAction> actions;
  for (int i = 0; i < count; ++i) {
    int pick = static_cast<int>(random() % static_cast<unsigned>(total));
    Kind kind = Kind::kType;
    for (const Weighted& w : kWeights) {
      if (pick < w.weight) {
        kind = w.kind;
        break;
      }
      pick -= w.weight;
    }
    UserAction action{kind};
    action.choice = static_cast<int>(random() % 1000);
    action.count = static_cast<int>(random() % 7) - 3;
    const int length = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < length; ++c) action.text.push_back(kAlphabet[random() % (sizeof(kAlphabet) / sizeof(wchar_t) - 1)]);
    action.answers = random() % 4;
    actions.push_back(action);
  }
  return actions;
}

RandomUserResult RunRandomUser(const std::vector<UserAction>& actions) {
  Runner runner;
  return runner.Run(actions);
}

std::vector<UserAction> ShrinkFailure(std::vector<UserAction> actions, int failedAt, int seconds,
                                      std::string& failure) {
  actions.resize(static_cast<std::size_t>(failedAt) + 1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (std::size_t chunk = std::max<std::size_t>(1, actions.size() / 2); chunk >= 1; chunk /= 2) {
    for (std::size_t start = 0; start + chunk <= actions.size();) {
      if (std::chrono::steady_clock::now() > deadline) return actions;
      std::vector<UserAction> candidate(actions.begin(), actions.begin() + static_cast<std::ptrdiff_t>(start));
      candidate.insert(candidate.end(), actions.begin() + static_cast<std::ptrdiff_t>(start + chunk), actions.end());
      const RandomUserResult result = RunRandomUser(candidate);
      if (result.failedAt >= 0) {
        candidate.resize(static_cast<std::size_t>(result.failedAt) + 1);
        actions = candidate;
        failure = result.failure;
      } else {
        start += chunk;
      }
    }
    if (chunk == 1) break;
  }
  return actions;
}

}  // namespace ondrel::test
