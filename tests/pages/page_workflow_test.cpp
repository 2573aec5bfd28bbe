// The workflows every record page shares, run on each of the three pages
// through the real controls: list, show, save, cancel, remove, new, the save
// question and a failed save.
#include <gtest/gtest.h>

#include "organiser/store/document.h"
#include "tests/pages/page_cases.h"

namespace ondrel::test {
namespace {

class PageWorkflowTest : public ::testing::TestWithParam<PageCase> {
 protected:
  const PageCase& c() const { return GetParam(); }

  std::unique_ptr<PageHost> Host(const Text& fileText) {
    return std::make_unique<PageHost>(c().kind, fileText);
  }
  std::unique_ptr<PageHost> Host() { return Host(c().FileText()); }

  // The form shows record r, field by field.
  void ExpectFormShows(const PageHost& host, std::size_t record) const {
    for (std::size_t f = 0; f < c().formIds.size(); ++f) {
      EXPECT_EQ(Narrow(host.EditText(c().formIds[f])), Narrow(c().Value(record, f)))
          << "form field " << c().formTags[f];
    }
  }
  void ExpectFormEmpty(const PageHost& host) const {
    for (int id : c().formIds) EXPECT_EQ(Narrow(host.EditText(id)), "") << "edit " << id;
  }
  // Row `row` shows record r in every column.
  void ExpectRowShows(const PageHost& host, int row, std::size_t record) const {
    for (std::size_t col = 0; col < c().columnFields.size(); ++col) {
      const int field = c().columnFields[col];
      const Text expected = field < 0 ? T(c().records[record].modifyDate) : c().Value(record, field);
      EXPECT_EQ(Narrow(host.Cell(row, static_cast<int>(col))), Narrow(expected))
          << "row " << row << " column " << col;
    }
  }
};

TEST_P(PageWorkflowTest, StartupListsEveryRecordInStoreOrderAndShowsTheFirst) {
  auto host = Host();
  ASSERT_EQ(host->RowCount(), 3);
  for (int row = 0; row < 3; ++row) ExpectRowShows(*host, row, row);
  EXPECT_NE(host->RowDocument(0), host->RowDocument(1));
  EXPECT_NE(host->RowDocument(1), host->RowDocument(2));
  EXPECT_EQ(host->SelectedRow(), 0);
  EXPECT_EQ(host->page().current(), host->RowDocument(0));
  ExpectFormShows(*host, 0);
}

TEST_P(PageWorkflowTest, StartupWithAnEmptyStoreHasNoRowAndAnEmptyForm) {
  auto host = Host(u"<Database></Database>");
  EXPECT_EQ(host->RowCount(), 0);
  EXPECT_EQ(host->page().current(), nullptr);
  ExpectFormEmpty(*host);
}

TEST_P(PageWorkflowTest, SavingAChangedRecordRewritesItsRowInPlaceAndTheFile) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->Type(c().KeyEdit(), u"Changed value");
  host->Click(c().saveId);

  EXPECT_TRUE(answerer.boxes().empty());
  ASSERT_EQ(host->RowCount(), 3);
  EXPECT_EQ(Narrow(host->Cell(0, c().KeyColumn())), "Changed value");
  EXPECT_EQ(host->SelectedRow(), 0);
  EXPECT_EQ(host->page().current(), host->RowDocument(0));
  const Text file = host->DatabaseFileText();
  EXPECT_NE(file.find(c().Element(c().formTags[c().keyField], u"Changed value")), Text::npos);
  EXPECT_EQ(file.find(c().Element(c().formTags[c().keyField], c().Value(0, c().keyField))), Text::npos);
  // The other records are written back unchanged, stamps included.
  EXPECT_NE(file.find(T(c().records[1].modifyDate)), Text::npos);
  EXPECT_NE(file.find(c().Element(c().formTags[c().keyField], c().Value(2, c().keyField))), Text::npos);
  EXPECT_NE(file.find(u"<ModifyDate>01.02.2011 10:30</ModifyDate>"), Text::npos);
}

TEST_P(PageWorkflowTest, SavingAnUnchangedRecordWritesNothing) {
  // Every field present: a field missing from the file would count as
  // changed once the form's empty text replaces it.
  StoredRecord full{c().kindName, "09.09.2009 09:09", {}};
  for (const char* tag : c().formTags) full.elements.push_back({tag, tag});
  auto host = Host(DatabaseText({full, c().records[1]}));
  const auto before = host->DatabaseFileBytes();
  MessageBoxAnswerer answerer;
  host->Click(c().saveId);
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(host->DatabaseFileBytes(), before);
  EXPECT_EQ(host->RowCount(), 2);
  EXPECT_EQ(Narrow(host->Cell(0, c().KeyColumn())), c().formTags[c().keyField]);
}

TEST_P(PageWorkflowTest, SavingANewRecordAppendsASelectedRowAndWritesIt) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->Click(c().NewId());
  EXPECT_EQ(host->page().current(), nullptr);
  ExpectFormEmpty(*host);
  host->Type(c().KeyEdit(), u"Fresh");
  host->Type(c().formIds.back(), u"line one\r\nline two");
  host->Click(c().saveId);

  EXPECT_TRUE(answerer.boxes().empty());
  ASSERT_EQ(host->RowCount(), 4);
  EXPECT_EQ(host->SelectedRows(), std::vector<int>{3});
  ASSERT_NE(host->page().current(), nullptr);
  EXPECT_EQ(host->page().current(), host->RowDocument(3));
  EXPECT_EQ(Narrow(host->Cell(3, c().KeyColumn())), "Fresh");
  EXPECT_EQ(Narrow(host->EditText(c().KeyEdit())), "Fresh");
  const Text file = host->DatabaseFileText();
  EXPECT_NE(file.find(c().Element(c().formTags[c().keyField], u"Fresh")), Text::npos);
  EXPECT_NE(file.find(c().Element(c().formTags.back(), u"line one\r\nline two")), Text::npos);
}

TEST_P(PageWorkflowTest, SavingAnEmptyNewFormStoresARecordWithItsEnvelopeOnly) {
  auto host = Host();
  host->Click(c().NewId());
  host->Click(c().saveId);
  ASSERT_EQ(host->RowCount(), 4);
  EXPECT_EQ(host->SelectedRow(), 3);
  for (std::size_t col = 0; col < c().columnFields.size(); ++col) {
    const std::string expected = c().columnFields[col] < 0 ? "01.02.2011 10:30" : "";
    EXPECT_EQ(Narrow(host->Cell(3, static_cast<int>(col))), expected);
  }
  const Text tail = u"<Document><DocumentType>" + T(c().kindName) +
                    u"</DocumentType><CreateDate>01.02.2011 10:30</CreateDate>"
                    u"<ModifyDate>01.02.2011 10:30</ModifyDate></Document></Database>";
  const Text file = host->DatabaseFileText();
  ASSERT_GE(file.size(), tail.size());
  EXPECT_EQ(Narrow(file.substr(file.size() - tail.size())), Narrow(tail));
}

TEST_P(PageWorkflowTest, AVeryLongFieldIsShownWholeAndSavedUnchanged) {
  // Longer than an edit control's default typing limit of 32767.
  const std::string longText(40000, 'x');
  StoredRecord record{c().kindName, "09.09.2009 09:09", {}};
  for (const char* tag : c().formTags) record.elements.push_back({tag, "short"});
  record.elements[c().keyField].second = longText.c_str();
  record.elements.back().second = longText.c_str();
  auto host = Host(DatabaseText({record}));
  const auto before = host->DatabaseFileBytes();
  EXPECT_EQ(GetWindowTextLengthW(host->Control(c().KeyEdit())), 40000);
  EXPECT_EQ(GetWindowTextLengthW(host->Control(c().formIds.back())), 40000);
  MessageBoxAnswerer answerer;
  host->Click(c().saveId);
  host->Click(c().NewId());
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(host->DatabaseFileBytes(), before);
}

TEST_P(PageWorkflowTest, CancelRestoresTheStoredTextsWithoutAsking) {
  auto host = Host();
  const auto before = host->DatabaseFileBytes();
  MessageBoxAnswerer answerer;
  host->ClickRow(1);
  host->Type(c().KeyEdit(), u"typed");
  host->Type(c().formIds.back(), u"more typing");
  host->Click(c().CancelId());
  EXPECT_TRUE(answerer.boxes().empty());
  ExpectFormShows(*host, 1);
  EXPECT_EQ(host->page().current(), host->RowDocument(1));
  EXPECT_EQ(host->DatabaseFileBytes(), before);
}

TEST_P(PageWorkflowTest, CancelOnANewFormEmptiesItWithoutAsking) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->Click(c().NewId());
  host->Type(c().KeyEdit(), u"typed");
  host->Click(c().CancelId());
  EXPECT_TRUE(answerer.boxes().empty());
  ExpectFormEmpty(*host);
  EXPECT_EQ(host->page().current(), nullptr);
  EXPECT_EQ(host->RowCount(), 3);
}

TEST_P(PageWorkflowTest, RemoveSelectsTheNeighbourRow) {
  struct Case {
    int removedRow;
    int selectedRow;
    std::size_t shownRecord;
  };
  // Middle row: the next record moves up into its place; last row: the new
  // last row is selected.
  for (const Case& step : {Case{1, 1, 2}, Case{2, 1, 1}, Case{0, 0, 1}}) {
    SCOPED_TRACE("removed row " + std::to_string(step.removedRow));
    auto host = Host();
    MessageBoxAnswerer answerer;
    host->ClickRow(step.removedRow);
    host->Click(c().RemoveId());
    EXPECT_TRUE(answerer.boxes().empty());
    ASSERT_EQ(host->RowCount(), 2);
    EXPECT_EQ(host->SelectedRows(), std::vector<int>{step.selectedRow});
    ExpectRowShows(*host, step.selectedRow, step.shownRecord);
    ExpectFormShows(*host, step.shownRecord);
    EXPECT_EQ(host->page().current(), host->RowDocument(step.selectedRow));
    const Text file = host->DatabaseFileText();
    EXPECT_EQ(file.find(c().Element(c().formTags[c().keyField], c().Value(step.removedRow, c().keyField))),
              Text::npos);
    EXPECT_NE(file.find(c().Element(c().formTags[c().keyField], c().Value(step.shownRecord, c().keyField))),
              Text::npos);
  }
}

TEST_P(PageWorkflowTest, RemovingTheOnlyRecordLeavesAnEmptyListFormAndFile) {
  auto host = Host(c().FileTextOfFirstRecord());
  MessageBoxAnswerer answerer;
  host->Click(c().RemoveId());
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(host->RowCount(), 0);
  EXPECT_EQ(host->page().current(), nullptr);
  ExpectFormEmpty(*host);
  EXPECT_EQ(Narrow(host->DatabaseFileText()), "<Database></Database>");
  // Remove with no current record does nothing.
  host->Click(c().RemoveId());
  EXPECT_EQ(Narrow(host->DatabaseFileText()), "<Database></Database>");
  EXPECT_TRUE(answerer.boxes().empty());
}

TEST_P(PageWorkflowTest, SelectingAnotherRowWithEditsAsksAndYesSavesFirst) {
  auto host = Host();
  MessageBoxAnswerer answerer({IDYES});
  host->Type(c().KeyEdit(), u"Edited");
  host->ClickRow(2);
  const auto boxes = answerer.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Narrow(boxes[0].caption), "Warning caption");
  EXPECT_EQ(Narrow(boxes[0].text), "Save question");
  EXPECT_TRUE(boxes[0].hasYesNo);
  EXPECT_EQ(Narrow(host->Cell(0, c().KeyColumn())), "Edited");
  EXPECT_NE(host->DatabaseFileText().find(c().Element(c().formTags[c().keyField], u"Edited")), Text::npos);
  ExpectFormShows(*host, 2);
  EXPECT_EQ(host->page().current(), host->RowDocument(2));
  EXPECT_EQ(GetFocus(), host->ListView());
}

TEST_P(PageWorkflowTest, SelectingAnotherRowWithEditsAndNoDropsThem) {
  auto host = Host();
  const auto before = host->DatabaseFileBytes();
  MessageBoxAnswerer answerer({IDNO});
  host->Type(c().formIds.back(), u"changed note only");
  host->ClickRow(1);
  EXPECT_EQ(answerer.boxes().size(), 1u);
  EXPECT_EQ(host->DatabaseFileBytes(), before);
  ExpectRowShows(*host, 0, 0);
  ExpectFormShows(*host, 1);
  // Coming back shows the stored texts: the edits are gone.
  host->ClickRow(0);
  EXPECT_EQ(answerer.boxes().size(), 1u);
  ExpectFormShows(*host, 0);
}

TEST_P(PageWorkflowTest, SelectingAnotherRowWithoutEditsAsksNothing) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->ClickRow(1);
  host->ClickRow(2);
  EXPECT_TRUE(answerer.boxes().empty());
  ExpectFormShows(*host, 2);
}

TEST_P(PageWorkflowTest, ExtendingOrClearingTheSelectionLeavesTheFormAlone) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->Type(c().KeyEdit(), u"typed");
  // A row added to the selection without the focus, then no selection at all.
  LVITEMW add{};
  add.stateMask = LVIS_SELECTED;
  add.state = LVIS_SELECTED;
  SendMessageW(host->ListView(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&add));
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(host->ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(Narrow(host->EditText(c().KeyEdit())), "typed");
  EXPECT_EQ(host->page().current(), host->RowDocument(0));
}

// The list itself can take or add a highlight (a click on its empty area,
// Ctrl with a click): once it has finished, exactly the row of the record in
// the form is highlighted, or none beside a new form.
TEST_P(PageWorkflowTest, TheHighlightAlwaysComesBackToTheRecordInTheForm) {
  struct Step {
    int row;
    bool selected;
  };
  struct Case {
    const char* what;
    bool newForm;
    std::vector<Step> steps;
    std::vector<int> highlighted;
  };
  const Case cases[] = {
      {"a click on the empty area", false, {{-1, false}}, {0}},
      {"another row added, then the shown one taken away", false, {{2, true}, {0, false}}, {0}},
      {"rows added beside a new form, one taken away", true, {{1, true}, {2, true}, {2, false}}, {}},
  };
  for (const Case& step : cases) {
    SCOPED_TRACE(step.what);
    auto host = Host();
    MessageBoxAnswerer answerer;
    if (step.newForm) host->Click(c().NewId());
    Document* shown = host->page().current();
    for (const Step& change : step.steps) {
      // Selection alone, never the focus: the form stays as it is.
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED;
      state.state = change.selected ? LVIS_SELECTED : 0;
      SendMessageW(host->ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(change.row),
                   reinterpret_cast<LPARAM>(&state));
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_EQ(host->SelectedRows(), step.highlighted);
    EXPECT_EQ(host->page().current(), shown);
    EXPECT_TRUE(answerer.boxes().empty());
  }
}

TEST_P(PageWorkflowTest, LeavingAnEmptyNewFormAsksNothing) {
  auto host = Host();
  MessageBoxAnswerer answerer;
  host->Click(c().NewId());
  host->ClickRow(1);
  EXPECT_TRUE(answerer.boxes().empty());
  ExpectFormShows(*host, 1);
}

TEST_P(PageWorkflowTest, NewWithEditsAsksAndYesSavesBeforeEmptying) {
  auto host = Host();
  MessageBoxAnswerer answerer({IDYES});
  host->Type(c().KeyEdit(), u"Saved by New");
  host->Click(c().NewId());
  EXPECT_EQ(answerer.boxes().size(), 1u);
  ExpectFormEmpty(*host);
  EXPECT_EQ(host->page().current(), nullptr);
  EXPECT_EQ(Narrow(host->Cell(0, c().KeyColumn())), "Saved by New");
}

TEST_P(PageWorkflowTest, HideAsksAndNoGivesTheEditUpInTheHiddenForm) {
  auto host = Host();
  MessageBoxAnswerer answerer({IDNO});
  host->Type(c().KeyEdit(), u"given up");
  host->page().Hide();
  EXPECT_EQ(answerer.boxes().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(host->Control(c().KeyEdit())));
  EXPECT_FALSE(IsWindowVisible(host->ListView()));
  host->page().Show();
  EXPECT_TRUE(IsWindowVisible(host->Control(c().KeyEdit())));
  ExpectFormShows(*host, 0);
  ExpectRowShows(*host, 0, 0);
  EXPECT_EQ(host->page().current(), host->RowDocument(0));
  EXPECT_FALSE(host->page().HasUnsavedChanges());
}

TEST_P(PageWorkflowTest, ClosingWithEditsAsksOnceAndYesSaves) {
  auto host = Host();
  MessageBoxAnswerer answerer({IDYES});
  host->Type(c().KeyEdit(), u"Saved on close");
  host->Close();
  EXPECT_EQ(answerer.boxes().size(), 1u);
  EXPECT_NE(host->DatabaseFileText().find(c().Element(c().formTags[c().keyField], u"Saved on close")),
            Text::npos);
}

TEST_P(PageWorkflowTest, AFailedSaveWarnsOnceKeepsTheFormAndSaveRetries) {
  auto host = Host();
  const auto before = host->DatabaseFileBytes();
  // A folder in the place of the store's temporary file makes the write fail.
  const std::wstring blocker = host->DatabasePath() + L".tmp";
  ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
  {
    MessageBoxAnswerer answerer;
    host->Type(c().KeyEdit(), u"Not yet written");
    host->Click(c().saveId);
    const auto boxes = answerer.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Narrow(boxes[0].caption), "Warning caption");
    EXPECT_EQ(Narrow(boxes[0].text), "Save failed");
    EXPECT_FALSE(boxes[0].hasYesNo);
  }
  EXPECT_EQ(host->DatabaseFileBytes(), before);
  EXPECT_EQ(Narrow(host->EditText(c().KeyEdit())), "Not yet written");
  ASSERT_NE(host->page().current(), nullptr);
  EXPECT_TRUE(host->page().current()->IsDirty());

  ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
  MessageBoxAnswerer answerer;
  host->Click(c().saveId);
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_NE(host->DatabaseFileText().find(c().Element(c().formTags[c().keyField], u"Not yet written")),
            Text::npos);
  EXPECT_FALSE(host->page().current()->IsDirty());
}

TEST_P(PageWorkflowTest, AFailedSaveOfANewRecordWarnsAndSaveRetries) {
  auto host = Host();
  const std::wstring blocker = host->DatabasePath() + L".tmp";
  ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
  {
    MessageBoxAnswerer answerer;
    host->Click(c().NewId());
    host->Type(c().KeyEdit(), u"New but unwritten");
    host->Click(c().saveId);
    EXPECT_EQ(answerer.boxes().size(), 1u);
  }
  EXPECT_EQ(Narrow(host->EditText(c().KeyEdit())), "New but unwritten");
  EXPECT_EQ(host->DatabaseFileText().find(u"New but unwritten"), Text::npos);
  ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
  MessageBoxAnswerer answerer;
  host->Click(c().saveId);
  EXPECT_TRUE(answerer.boxes().empty());
  EXPECT_EQ(host->RowCount(), 4);
  EXPECT_NE(host->DatabaseFileText().find(u"New but unwritten"), Text::npos);
}

// A removal that cannot be written says so, keeps the record, and leaves
// behind only what was unsaved before it: a row click then asks nothing,
// unless something was typed into the form before Remove.
TEST_P(PageWorkflowTest, AFailedRemoveWarnsAndKeepsTheRecordListedShownAndStored) {
  for (const bool typedBefore : {false, true}) {
    SCOPED_TRACE(typedBefore ? "typed before Remove" : "nothing typed");
    auto host = Host();
    const std::wstring blocker = host->DatabasePath() + L".tmp";
    ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
    const Text removedKey = c().Element(c().formTags[c().keyField], c().Value(0, c().keyField));
    if (typedBefore) host->Type(c().KeyEdit(), u"Typed before");
    {
      MessageBoxAnswerer answerer;
      host->Click(c().RemoveId());
      const auto boxes = answerer.boxes();
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(Narrow(boxes[0].text), "Remove failed");
      EXPECT_FALSE(boxes[0].hasYesNo);
    }
    EXPECT_EQ(host->RowCount(), 3);
    EXPECT_EQ(host->SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(host->page().current(), host->RowDocument(0));
    EXPECT_FALSE(host->database().IsFileBehind());
    EXPECT_EQ(host->page().HasUnsavedChanges(), typedBefore);
    {
      // Answered No: what was typed is given up, as at any question.
      MessageBoxAnswerer answerer({IDNO});
      host->ClickRow(1);
      EXPECT_EQ(answerer.boxes().size(), typedBefore ? 1u : 0u);
    }
    ExpectFormShows(*host, 1);
    ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
    EXPECT_NE(host->DatabaseFileText().find(removedKey), Text::npos);
    // Remove again, now that the file can be written.
    host->ClickRow(0);
    host->Click(c().RemoveId());
    EXPECT_EQ(host->RowCount(), 2);
    EXPECT_EQ(host->DatabaseFileText().find(removedKey), Text::npos);
  }
}

// Another program wrote the file: the save that keeps its version says so
// once, naming the backup; a save at a session end asks nothing of anyone,
// and the next save the user makes tells instead.
TEST_P(PageWorkflowTest, ASaveOverAnotherProgramsVersionTellsOnceAndNeverAtASessionEnd) {
  for (const bool sessionEnd : {false, true}) {
    SCOPED_TRACE(sessionEnd ? "at a session end" : "on Save");
    auto host = Host();
    const std::vector<unsigned char> theirs = Utf16LeBytes(L"<Database></Database>  ");
    ASSERT_TRUE(WriteFileBytes(host->DatabasePath(), theirs));
    host->Type(c().KeyEdit(), u"Typed here");
    {
      MessageBoxAnswerer answerer;
      if (sessionEnd) {
        EXPECT_TRUE(host->page().SaveForSessionEnd());
      } else {
        host->Click(c().saveId);
      }
      const auto boxes = answerer.boxes();
      ASSERT_EQ(boxes.size(), sessionEnd ? 0u : 1u);
      if (!sessionEnd) {
        EXPECT_EQ(Narrow(boxes[0].text), "Kept as ondrel.db.bak");
      }
    }
    EXPECT_EQ(ReadFileBytes(host->folder().Native(L"ondrel.db.bak")), theirs);
    EXPECT_NE(host->DatabaseFileText().find(u"Typed here"), Text::npos);
    host->Type(c().KeyEdit(), u"Typed again");
    MessageBoxAnswerer answerer;
    host->Click(c().saveId);
    EXPECT_EQ(answerer.boxes().size(), sessionEnd ? 1u : 0u);
    EXPECT_NE(host->DatabaseFileText().find(u"Typed again"), Text::npos);
  }
}

// Stored texts an edit cannot show as they are: a zero character (the edit
// ends the text there), a line break in a single-line field, a lone CR and
// a lone LF in the body. Nothing typed asks nothing, and a save of another
// field writes them back exactly as read.
TEST_P(PageWorkflowTest, AFieldTheEditCannotShowIsNeitherAChangeNorLost) {
  const std::size_t body = c().formIds.size() - 1;
  const std::size_t singleLine = c().keyField == 0 ? 1 : 0;
  struct Case {
    const char* what;
    std::size_t field;
    Text value;
  };
  const Case cases[] = {
      {"zero in the body", body, Text(u"abc\0def", 7)},
      {"line break in a single-line field", singleLine, u"one\r\ntwo"},
      {"lone CR and LF in the body", body, u"x\ry\nz\r"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const Text element = c().Element(c().formTags[k.field], k.value);
    Text file = c().FileText();
    const Text old = c().Element(c().formTags[k.field], c().Value(0, k.field));
    file.replace(file.find(old), old.size(), element);
    auto host = Host(file);
    EXPECT_EQ(GetFileAttributesW((host->DatabasePath() + L".bak").c_str()), INVALID_FILE_ATTRIBUTES)
        << "loading it is no damage";
    MessageBoxAnswerer answerer;
    host->Click(c().NewId());
    host->ClickRow(0);
    host->ClickRow(1);
    EXPECT_TRUE(answerer.boxes().empty()) << "nothing was typed";
    host->ClickRow(0);
    host->Type(c().KeyEdit(), u"typed");
    host->Click(c().saveId);
    EXPECT_TRUE(answerer.boxes().empty());
    EXPECT_NE(host->DatabaseFileText().find(element), Text::npos) << "written back exactly";
    EXPECT_NE(host->DatabaseFileText().find(c().Element(c().formTags[c().keyField], u"typed")), Text::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageWorkflowTest, ::testing::ValuesIn(AllPageCases()),
                         [](const ::testing::TestParamInfo<PageCase>& param) { return param.param.name; });

}  // namespace
}  // namespace ondrel::test
