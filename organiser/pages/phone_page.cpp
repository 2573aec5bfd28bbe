// The phone-book page: the list on the left, a fixed-width column of
// thirteen labelled fields and a note on the right.
#include "organiser/pages/pages.h"
#include "organiser/pages/record_page.h"
#include "organiser/store/document_kinds.h"

namespace ondrel {

namespace {

constexpr std::size_t kLabelledFields = 13;
constexpr std::size_t kFormFields = PhoneDocument::kFieldCount;  // 13 + the note
static_assert(kFormFields == kLabelledFields + 1, "the note is the one unlabelled field");

// Slots in creation order: list, two groups, 13 labels, 4 buttons, 14 edits.
constexpr std::size_t kListView = 0;
constexpr std::size_t kListGroup = 1;
constexpr std::size_t kDocumentGroup = 2;
constexpr std::size_t kFirstLabel = 3;
constexpr std::size_t kSaveButton = kFirstLabel + kLabelledFields;
constexpr std::size_t kCancelButton = kSaveButton + 1;
constexpr std::size_t kRemoveButton = kSaveButton + 2;
constexpr std::size_t kNewButton = kSaveButton + 3;
constexpr std::size_t kFirstEdit = kSaveButton + 4;
constexpr std::size_t kNoteEdit = kFirstEdit + kLabelledFields;

constexpr int kSaveId = 142;
constexpr int kFirstEditId = 147;
constexpr int kListViewId = 161;

// Label keys are named like the fields, in declared field order.
const char16_t* const kLabelKeys[kLabelledFields] = {
    u"FirstName", u"MiddleName", u"LastName", u"NicName", u"Email",
    u"HomePhone", u"Mobile", u"BusinessPhone", u"JobTitle", u"Department",
    u"CompanyName", u"Icq", u"BirthDay",
};

PageDescription BuildPhoneDescription() {
  using Action = LayoutStep::Action;
  PageDescription d{};
  d.kindName = PhoneDocument::kTypeName;
  d.section = u"PhonePage";
  d.listViewId = kListViewId;
  d.saveId = kSaveId;
  d.listViewSlot = kListView;

  d.controls.push_back(ListViewControl(kListViewId));
  d.controls.push_back(GroupBoxControl(WS_TABSTOP, u"LabelListPanel"));
  d.controls.push_back(GroupBoxControl(WS_TABSTOP, u"LabelDocument"));
  for (const char16_t* key : kLabelKeys) {
    d.controls.push_back(LabelControl(WS_TABSTOP, ControlText::Page(key)));
  }
  d.controls.push_back(PushButtonControl(kSaveId, ControlText::Main(u"ButtonSave")));
  d.controls.push_back(PushButtonControl(kSaveId + 1, ControlText::Main(u"ButtonCancel")));
  d.controls.push_back(PushButtonControl(kSaveId + 2, ControlText::Main(u"ButtonRemove")));
  d.controls.push_back(PushButtonControl(kSaveId + 3, ControlText::Main(u"ButtonNew")));
  for (std::size_t i = 0; i < kLabelledFields; ++i) {
    d.controls.push_back(SingleLineEditControl(kFirstEditId + static_cast<int>(i)));
  }
  d.controls.push_back(MultiLineEditControl(kFirstEditId + static_cast<int>(kLabelledFields)));

  // The form column keeps its width and follows the right edge; the list
  // takes the rest.
  d.layout.push_back(Place(kDocumentGroup, FromWidth(-257), Fixed(26), Fixed(254), FromHeight(-29)));
  d.layout.push_back(Place(kListGroup, Fixed(3), Fixed(26), FromWidth(-265), FromHeight(-29)));
  d.layout.push_back(Place(kListView, Fixed(10), Fixed(41), FromWidth(-279), FromHeight(-51)));
  constexpr int kRowPitch = 22;
  for (std::size_t i = 0; i < kLabelledFields; ++i) {
    const int row = kRowPitch * static_cast<int>(i);
    d.layout.push_back(Place(kFirstLabel + i, FromWidth(-250), Fixed(44 + row), Fixed(90), Fixed(18)));
  }
  for (std::size_t i = 0; i < kLabelledFields; ++i) {
    const int row = kRowPitch * static_cast<int>(i);
    d.layout.push_back(Place(kFirstEdit + i, FromWidth(-160), Fixed(41 + row), Fixed(150), Fixed(20)));
  }
  d.layout.push_back(Place(kNoteEdit, FromWidth(-250), Fixed(327), Fixed(240), FromHeight(-391)));
  d.layout.push_back(Place(kSaveButton, FromWidth(-250), FromHeight(-58), Fixed(76), Fixed(22)));
  d.layout.push_back(Place(kCancelButton, FromWidth(-170), FromHeight(-58), Fixed(76), Fixed(22)));
  d.layout.push_back(Place(kRemoveButton, FromWidth(-250), FromHeight(-32), Fixed(76), Fixed(22)));
  d.layout.push_back(Place(kNewButton, FromWidth(-170), FromHeight(-32), Fixed(76), Fixed(22)));
  d.layout.push_back({Action::kHide, kNoteEdit, {}, {}, {}, {}});
  d.layout.push_back({Action::kShow, kNoteEdit, {}, {}, {}, {}});

  for (std::size_t i = 0; i < kFormFields; ++i) d.focusOrder.push_back(kFirstEdit + i);
  for (std::size_t slot : {kSaveButton, kCancelButton, kRemoveButton, kNewButton, kListView}) {
    d.focusOrder.push_back(slot);
  }

  for (std::size_t i = 0; i < kFormFields; ++i) d.form.push_back({kFirstEdit + i, i});

  d.columns = {
      {u"HeaderName", PhoneDocument::kNicName},
      {u"HeaderEmail", PhoneDocument::kEmail},
      {u"HeaderHomePhone", PhoneDocument::kHomePhone},
  };
  return d;
}

const PageDescription& PhoneDescription() {
  static const PageDescription description = BuildPhoneDescription();
  return description;
}

}  // namespace

std::unique_ptr<Page> MakePhonePage(const LanguageTable& language) {
  return std::make_unique<RecordPage>(PhoneDescription(), language);
}

}  // namespace ondrel
