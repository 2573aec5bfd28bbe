// The password page: site, login, password and a note per entry, the list
// above the form.
#include "organiser/pages/pages.h"
#include "organiser/pages/record_page.h"
#include "organiser/store/document_kinds.h"

namespace ondrel {

namespace {

enum Slot : std::size_t {
  kListView, kListGroup, kDocumentGroup, kSiteLabel, kLoginLabel, kPasswordLabel,
  kSaveButton, kCancelButton, kRemoveButton, kNewButton,
  kSiteEdit, kLoginEdit, kPasswordEdit, kBodyEdit,
};

constexpr int kSaveId = 122;
constexpr int kListViewId = 131;

const PageDescription& PasswordDescription() {
  using Action = LayoutStep::Action;
  const Coord groupY = FromHeight(-165);
  static const PageDescription description{
      PasswordDocument::kTypeName,
      u"PasswordPage",
      kListViewId,
      kSaveId,
      {
          ListViewControl(kListViewId),
          GroupBoxControl(WS_TABSTOP, u"LabelListPanel"),
          GroupBoxControl(WS_TABSTOP, u"LabelDocument"),
          LabelControl(WS_TABSTOP, ControlText::Page(u"LabelSite")),
          LabelControl(WS_TABSTOP, ControlText::Page(u"LabelLogin")),
          LabelControl(WS_TABSTOP, ControlText::Page(u"LabelPassword")),
          PushButtonControl(kSaveId, ControlText::Main(u"ButtonSave")),
          PushButtonControl(kSaveId + 1, ControlText::Main(u"ButtonCancel")),
          PushButtonControl(kSaveId + 2, ControlText::Main(u"ButtonRemove")),
          PushButtonControl(kSaveId + 3, ControlText::Main(u"ButtonNew")),
          SingleLineEditControl(127),
          SingleLineEditControl(128),
          // Shown in clear text on purpose: no ES_PASSWORD.
          SingleLineEditControl(129),
          MultiLineEditControl(130),
      },
      kListView,
      {
          // The document group is hidden and placed, then shown, so that it
          // repaints fully behind the form after every resize.
          {Action::kPlaceHidden, kDocumentGroup, Fixed(3), groupY, FromWidth(-6), Fixed(162)},
          Place(kDocumentGroup, Fixed(3), groupY, FromWidth(-6), Fixed(162)),
          Place(kListGroup, Fixed(3), Fixed(26), FromWidth(-6), FromHeight(-195)),
          Place(kListView, Fixed(10), Fixed(41), FromWidth(-20), FromHeight(-218)),
          Place(kSiteLabel, Fixed(10), FromHeight(-145), Fixed(65), Fixed(18)),
          Place(kLoginLabel, Fixed(10), FromHeight(-121), Fixed(65), Fixed(18)),
          Place(kPasswordLabel, Fixed(10), FromHeight(-97), Fixed(65), Fixed(18)),
          Place(kSiteEdit, Fixed(80), FromHeight(-150), FromWidth(-90), Fixed(20)),
          Place(kLoginEdit, Fixed(80), FromHeight(-126), FromWidth(-90), Fixed(20)),
          Place(kPasswordEdit, Fixed(80), FromHeight(-102), FromWidth(-90), Fixed(20)),
          Place(kBodyEdit, Fixed(10), FromHeight(-78), FromWidth(-20), Fixed(40)),
          Place(kSaveButton, Fixed(10), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kCancelButton, Fixed(90), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kRemoveButton, Fixed(170), FromHeight(-32), Fixed(76), Fixed(22)),
          Place(kNewButton, Fixed(250), FromHeight(-32), Fixed(76), Fixed(22)),
          {Action::kHide, kBodyEdit, {}, {}, {}, {}},
          {Action::kShow, kBodyEdit, {}, {}, {}, {}},
      },
      {kSiteEdit, kLoginEdit, kPasswordEdit, kBodyEdit, kSaveButton, kCancelButton,
       kRemoveButton, kNewButton, kListView},
      {
          {kSiteEdit, PasswordDocument::kSite},
          {kLoginEdit, PasswordDocument::kLogin},
          {kPasswordEdit, PasswordDocument::kPassword},
          {kBodyEdit, PasswordDocument::kBody},
      },
      {
          {u"HeaderSite", PasswordDocument::kSite},
          {u"HeaderLogin", PasswordDocument::kLogin},
      },
  };
  return description;
}

}  // namespace

std::unique_ptr<Page> MakePasswordPage(const LanguageTable& language) {
  return std::make_unique<RecordPage>(PasswordDescription(), language);
}

}  // namespace ondrel
