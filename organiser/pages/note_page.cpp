// The note page: the framework's list and form for notes, plus a search
// panel that narrows the list by words and a range of modification days.
#include <windows.h>
#include <commctrl.h>

#include "organiser/pages/pages.h"
#include "organiser/pages/record_page.h"
#include "organiser/store/clock.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/store/search.h"
#include "organiser/win32/window_text.h"

namespace ondrel {

namespace {

enum Slot : std::size_t {
  kListView, kSearchGroup, kDocumentGroup, kFromPicker, kToPicker,
  kSubjectSearchLabel, kKeywordsSearchLabel, kBodySearchLabel, kLastChangeLabel,
  kSubjectLabel, kKeywordsLabel, kDateSeparator,
  kFindButton, kSaveButton, kCancelButton, kRemoveButton, kNewButton,
  kSubjectSearchEdit, kKeywordsSearchEdit, kBodySearchEdit,
  kSubjectEdit, kKeywordsEdit, kBodyEdit,
};

constexpr int kFindId = 100;
constexpr int kSaveId = 102;
constexpr int kListViewId = 113;
constexpr DWORD kNoteStaticStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr DWORD kPickerStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP;

ControlSpec NoteLabel(ControlText text) { return {L"Static", 0, kNoteStaticStyle, 0, text}; }

ControlSpec Picker(const char16_t* text) {
  return {DATETIMEPICK_CLASSW, 0, kPickerStyle, 0, ControlText::Literal(text)};
}

const PageDescription& NoteDescription() {
  static const PageDescription description{
      NoteDocument::kTypeName,
      u"NotePage",
      kListViewId,
      kSaveId,
      {
          ListViewControl(kListViewId),
          {L"Button", 0, kNoteStaticStyle | BS_GROUPBOX, 0, ControlText::Page(u"LabelSearchPanel")},
          {L"Button", 0, kNoteStaticStyle | BS_GROUPBOX, 0, ControlText::Page(u"LabelDocument")},
          Picker(u"01.01.2000"),
          Picker(u"01.01.2010"),
          NoteLabel(ControlText::Page(u"LabelSubject")),
          NoteLabel(ControlText::Page(u"LabelKeywords")),
          NoteLabel(ControlText::Page(u"LabelBody")),
          NoteLabel(ControlText::Page(u"LabelLastChange")),
          NoteLabel(ControlText::Page(u"LabelSubject")),
          NoteLabel(ControlText::Page(u"LabelKeywords")),
          NoteLabel(ControlText::Literal(u"_")),
          PushButtonControl(kFindId, ControlText::Page(u"ButtonFind")),
          PushButtonControl(kSaveId, ControlText::Main(u"ButtonSave")),
          PushButtonControl(kSaveId + 1, ControlText::Main(u"ButtonCancel")),
          PushButtonControl(kSaveId + 2, ControlText::Main(u"ButtonRemove")),
          PushButtonControl(kSaveId + 3, ControlText::Main(u"ButtonNew")),
          SingleLineEditControl(107),
          SingleLineEditControl(108),
          SingleLineEditControl(109),
          SingleLineEditControl(110),
          SingleLineEditControl(111),
          MultiLineEditControl(112),
      },
      kListView,
      {
          Place(kSearchGroup, Fixed(3), Fixed(26), FromWidth(-6), Fixed(142)),
          Place(kDocumentGroup, Fixed(3), Fixed(172), FromWidth(-6), FromHeight(-175)),
          Place(kSubjectSearchLabel, Fixed(10), Fixed(46), Fixed(65), Fixed(20)),
          Place(kKeywordsSearchLabel, Fixed(10), Fixed(70), Fixed(65), Fixed(20)),
          Place(kBodySearchLabel, Fixed(10), Fixed(94), Fixed(65), Fixed(20)),
          Place(kLastChangeLabel, Fixed(10), Fixed(118), Fixed(65), Fixed(20)),
          Place(kSubjectSearchEdit, Fixed(78), Fixed(41), Fixed(170), Fixed(20)),
          Place(kKeywordsSearchEdit, Fixed(78), Fixed(65), Fixed(170), Fixed(20)),
          Place(kBodySearchEdit, Fixed(78), Fixed(89), Fixed(170), Fixed(20)),
          Place(kFromPicker, Fixed(78), Fixed(113), Fixed(80), Fixed(20)),
          Place(kToPicker, Fixed(168), Fixed(113), Fixed(80), Fixed(20)),
          Place(kDateSeparator, Fixed(160), Fixed(111), Fixed(8), Fixed(20)),
          Place(kFindButton, Fixed(78), Fixed(139), Fixed(80), Fixed(22)),
          Place(kListView, Fixed(254), Fixed(40), FromWidth(-263), Fixed(122)),
          Place(kSubjectLabel, Fixed(10), Fixed(192), Fixed(65), Fixed(18)),
          Place(kKeywordsLabel, Fixed(10), Fixed(216), Fixed(65), Fixed(18)),
          Place(kSubjectEdit, Fixed(80), Fixed(187), FromWidth(-90), Fixed(20)),
          Place(kKeywordsEdit, Fixed(80), Fixed(211), FromWidth(-90), Fixed(20)),
          Place(kBodyEdit, Fixed(10), Fixed(235), FromWidth(-20), FromHeight(-273)),
          Place(kSaveButton, Fixed(10), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kCancelButton, Fixed(90), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kRemoveButton, Fixed(170), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kNewButton, Fixed(250), FromHeight(-32), Fixed(76), Fixed(22)),
      },
      {kSubjectSearchEdit, kKeywordsSearchEdit, kBodySearchEdit, kFromPicker, kToPicker,
       kFindButton, kListView, kSubjectEdit, kKeywordsEdit, kBodyEdit, kSaveButton,
       kCancelButton, kRemoveButton, kNewButton},
      {
          {kSubjectEdit, NoteDocument::kSubject},
          {kKeywordsEdit, NoteDocument::kKeywords},
          {kBodyEdit, NoteDocument::kBody},
      },
      {
          {u"HeaderLastChange", ColumnSpec::kModifyDate},
          {u"HeaderKeywords", NoteDocument::kKeywords},
          {u"HeaderSubject", NoteDocument::kSubject},
      },
  };
  return description;
}

void SetPickerDate(HWND picker, const SYSTEMTIME& date) {
  SYSTEMTIME value = date;
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

Date PickerDate(HWND picker) {
  SYSTEMTIME value{};
  SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
  return Date{value.wYear, value.wMonth, value.wDay};
}

class NotePage final : public RecordPage {
 public:
  explicit NotePage(const LanguageTable& language) : RecordPage(NoteDescription(), language) {}

 protected:
  void OnControlsCreated() override {
    // The pickers would both start on today, and a Find with empty fields
    // would then hide every older note: start the range on 1 January 2000
    // and end it today.
    SYSTEMTIME from{};
    from.wYear = 2000;
    from.wMonth = 1;
    from.wDay = 1;
    SetPickerDate(control(kFromPicker), from);
    SetPickerDate(control(kToPicker), Today());
  }

  bool HandlePageMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_USER) {
      // Also the dialog manager's default-button query: Save is the default.
      result = kSaveId;
      return true;
    }
    if (message == WM_NOTIFY) {
      // Only the user's own change sends this; setting the date does not.
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->hwndFrom == control(kToPicker) &&
          header->code == DTN_DATETIMECHANGE) {
        toPickedByUser_ = true;
      }
      return false;
    }
    if (message == WM_COMMAND && wParam == static_cast<WPARAM>(kFindId)) {
      Find();
      result = 0;
      return true;
    }
    return false;
  }

 private:
  void FillQuery(SearchQuery& query) const {
    query.Reset();
    query.kind = NoteDocument::kTypeName;
    query.from = PickerDate(control(kFromPicker));
    query.to = PickerDate(control(kToPicker));
    query.AddPair(u"Subject", ReadWindowText(control(kSubjectSearchEdit)));
    query.AddPair(u"Keywords", ReadWindowText(control(kKeywordsSearchEdit)));
    query.AddPair(u"Body", ReadWindowText(control(kBodySearchEdit)));
  }

  void Find() {
    if (!IsCreated()) return;
    if (!AskToSave()) return;
    // Until the user picks an end date the range ends today, also when the
    // program has been open since an earlier day.
    if (!toPickedByUser_) SetPickerDate(control(kToPicker), Today());
    SearchQuery query;
    FillQuery(query);
    ListSearchResults(query);
  }

  SYSTEMTIME Today() const {
    SYSTEMTIME today{};
    const Clock* clock = StoreClock();
    if (clock == nullptr) {
      GetLocalTime(&today);
      return today;
    }
    const LocalTime now = clock->Now();
    today.wYear = static_cast<WORD>(now.year);
    today.wMonth = static_cast<WORD>(now.month);
    today.wDay = static_cast<WORD>(now.day);
    return today;
  }

  bool toPickedByUser_ = false;
};

}  // namespace

std::unique_ptr<Page> MakeNotePage(const LanguageTable& language) {
  return std::make_unique<NotePage>(language);
}

}  // namespace ondrel
