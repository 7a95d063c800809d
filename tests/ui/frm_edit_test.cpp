// SPDX-License-Identifier: GPL-3.0-or-later
// The row editor: the note field takes a name or a number and writes Note and
// Number together; the other fields are checked in order and only the first
// wrong one is reported; Discard changes nothing.

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "support/window_rig.h"
#include "ui/frm_edit.h"
#include "ui/note_field.h"

namespace ntr::ui {
namespace {

TEST(NoteField, TakesANoteNameOrANoteNumber) {
  EXPECT_EQ(ParseNoteField("C#5"), 61);
  EXPECT_EQ(ParseNoteField("c#5"), 61);
  EXPECT_EQ(ParseNoteField(" C0 "), 0);
  EXPECT_EQ(ParseNoteField("G10"), 127);
  EXPECT_EQ(ParseNoteField("B9"), 119);
  EXPECT_EQ(ParseNoteField("60"), 60);
  EXPECT_EQ(ParseNoteField("0"), 0);
  EXPECT_EQ(ParseNoteField("127"), 127);
}

TEST(NoteField, RefusesWhatNamesNoKey) {
  for (const char* text : {"", "G#10", "A10", "128", "-1", "60.5", "H3", "C", "C#", "C#123", "Cb4", "abc", "5C"}) {
    EXPECT_EQ(ParseNoteField(text), std::nullopt) << text;
  }
}

// A double-click as the window system delivers it: a click, then the second press.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

class EditorTest : public ::testing::Test {
 protected:
  void Fill(const std::array<const char*, 5>& texts) {
    for (int i = 0; i < 5; ++i) editor.Field(i)->setText(QString::fromLatin1(texts[static_cast<std::size_t>(i)]));
  }
  void ClickAccept() { QTest::mouseClick(editor.findChild<QPushButton*>("cbAccept"), Qt::LeftButton); }

  uitest::ScriptedDialogs dialogs;
  frmEdit editor{dialogs};
  const EventRow row{"C#5", "127", "1", "2000", "500", "61"};
};

TEST_F(EditorTest, LoadsTheNoteNameAndTheFourNumbers) {
  editor.Load(row);
  EXPECT_EQ(editor.Field(0)->text(), "C#5");
  EXPECT_EQ(editor.Field(1)->text(), "127");
  EXPECT_EQ(editor.Field(2)->text(), "1");
  EXPECT_EQ(editor.Field(3)->text(), "2000");
  EXPECT_EQ(editor.Field(4)->text(), "500");
  EXPECT_EQ(editor.findChild<QPushButton*>("cbAccept")->toolTip(), "Accept edited values");
  EXPECT_EQ(editor.findChild<QPushButton*>("cbDiscard")->toolTip(), "Discard edited values");
}

TEST_F(EditorTest, EachFieldReportsItsOwnRange) {
  struct Case {
    std::array<const char*, 5> texts;
    const char* message;
  };
  const Case cases[] = {
      {{"X9", "127", "1", "2000", "500"}, "Note value should be numeric (from 0 to 127)"},
      {{"128", "127", "1", "2000", "500"}, "Note value should be numeric (from 0 to 127)"},
      {{"C5", "128", "1", "2000", "500"}, "Velocity value should be numeric (from 0 to 127)"},
      {{"C5", "100", "0", "2000", "500"}, "MIDI channel value should be numeric (from 1 to 16)"},
      {{"C5", "100", "17", "2000", "500"}, "MIDI channel value should be numeric (from 1 to 16)"},
      {{"C5", "100", "2", "0", "500"}, "Duration value should be numeric (from 1 to 32000)"},
      {{"C5", "100", "2", "100", "32001"}, "Decay value should be numeric (from 1 to 32000)"},
      {{"C5", "100", "2", "100", "abc"}, "Decay value should be numeric (from 1 to 32000)"},
  };
  for (const Case& c : cases) {
    editor.Load(row);
    dialogs.messages.clear();
    Fill(c.texts);
    ClickAccept();
    ASSERT_EQ(dialogs.messages.size(), 1u) << c.message;
    EXPECT_EQ(dialogs.messages[0].text, c.message);
    EXPECT_EQ(dialogs.messages[0].title, "NTR - Notarra");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(editor.result(), QDialog::Rejected);  // stays open
    EXPECT_EQ(editor.Field(4)->text(), c.texts[4]);  // with the user's text
  }
}

TEST_F(EditorTest, OnlyTheFirstWrongFieldIsReported) {
  editor.Load(row);
  Fill({"C5", "300", "0", "0", "0"});
  ClickAccept();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Velocity value should be numeric (from 0 to 127)");
}

TEST_F(EditorTest, AcceptWritesNoteNameAndNumberFromOneValue) {
  editor.Load(row);
  Fill({"64", "90", "3", "1000", "200"});
  ClickAccept();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_EQ(editor.Edited(), (EventRow{"E5", "90", "3", "1000", "200", "64"}));

  editor.Load(row);
  Fill({"a#2", "90", "3", "1000", "200"});
  ClickAccept();
  EXPECT_EQ(editor.Edited().Note, "A#2");
  EXPECT_EQ(editor.Edited().Number, "34");
}

TEST(EditorInWindow, DoubleClickEditsTheRowAndDiscardLeavesItAsItWas) {
  uitest::WindowRig rig;
  QTableView* grid = rig.Grid();
  ASSERT_EQ(grid->model()->rowCount(), 128);
  const EventRow before = rig.window->Events().Row(3);

  // Discard after changing every field.
  rig.dialogs.modalActions.push_back([](QDialog& dialog) {
    auto& editor = dynamic_cast<frmEdit&>(dialog);
    EXPECT_EQ(editor.Field(0)->text(), "D#0");
    for (int i = 0; i < 5; ++i) editor.Field(i)->setText("1");
    QTest::mouseClick(editor.findChild<QPushButton*>("cbDiscard"), Qt::LeftButton);
  });
  const QRect cell = grid->visualRect(grid->model()->index(3, 1));
  DoubleClick(grid->viewport(), cell.center());
  EXPECT_EQ(rig.dialogs.modalCount, 1);
  EXPECT_EQ(rig.window->Events().Row(3), before);

  // Accept a new note on the same row.
  rig.dialogs.modalActions.push_back([](QDialog& dialog) {
    auto& editor = dynamic_cast<frmEdit&>(dialog);
    editor.Field(0)->setText("C#5");
    editor.Field(3)->setText("1234");
    QTest::mouseClick(editor.findChild<QPushButton*>("cbAccept"), Qt::LeftButton);
  });
  DoubleClick(grid->viewport(), cell.center());
  const EventRow after = rig.window->Events().Row(3);
  EXPECT_EQ(after.Note, "C#5");
  EXPECT_EQ(after.Number, "61");
  EXPECT_EQ(after.Time, "1234");
  EXPECT_EQ(grid->model()->index(3, 0).data().toString(), "C#5");
  EXPECT_EQ(grid->model()->index(3, 5).data().toString(), "61");
}

}  // namespace
}  // namespace ntr::ui
