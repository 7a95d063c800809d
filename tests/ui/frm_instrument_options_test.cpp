// SPDX-License-Identifier: GPL-3.0-or-later
// The "Instrument Options" dialog of the File menu: one editor per key of the
// group "Instrument", a text that does not fit refused, what changed stored
// at once, and the list regenerated for the new takes.

#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "support/window_rig.h"
#include "ui/frm_instrument_options.h"

namespace ntr::uitest {
namespace {

void ClickOk(QDialog& dialog) { QTest::mouseClick(dialog.findChild<QPushButton*>("cbOk"), Qt::LeftButton); }

TEST(InstrumentOptions, StoreWhatChangedAndRegenerateTheTakes) {
  WindowRig rig;
  ASSERT_EQ(rig.window->Events().RowCount(), 128u);
  const QString estimate = rig.Label("lbData0")->text();

  rig.dialogs.modalActions.push_back([&rig](QDialog& dialog) {
    auto& options = dynamic_cast<ui::frmInstrumentOptions&>(dialog);
    auto* layers = qobject_cast<QLineEdit*>(options.Editor("VelocityLayers"));
    auto* rounds = qobject_cast<QSpinBox*>(options.Editor("RoundRobins"));
    ASSERT_NE(layers, nullptr);
    ASSERT_NE(rounds, nullptr);
    EXPECT_EQ(rounds->maximum(), 8);
    EXPECT_TRUE(layers->toolTip().contains("separated by commas"));

    layers->setText("40,300");
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(rig.dialogs.messages[0].text.rfind("Velocity layers takes velocities 1 to 127", 0), 0u);

    layers->setText("40, 127");
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  rig.Action("mInstrumentOptions")->trigger();
  ASSERT_EQ(rig.dialogs.modalCount, 1);
  EXPECT_EQ(rig.Store().Read("VelocityLayers", "Instrument"), "40, 127");
  EXPECT_FALSE(rig.Store().Read("RoundRobins", "Instrument").has_value());  // unchanged: not written
  ASSERT_EQ(rig.window->Events().RowCount(), 256u);
  EXPECT_EQ(rig.window->Events().Row(1).Vel, "127");
  EXPECT_NE(rig.Label("lbData0")->text(), estimate);

  // Cancel changes nothing.
  rig.dialogs.modalActions.push_back([](QDialog& dialog) {
    qobject_cast<QSpinBox*>(dynamic_cast<ui::frmInstrumentOptions&>(dialog).Editor("RoundRobins"))->setValue(3);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cbCancel"), Qt::LeftButton);
  });
  rig.Action("mInstrumentOptions")->trigger();
  EXPECT_FALSE(rig.Store().Read("RoundRobins", "Instrument").has_value());
  EXPECT_EQ(rig.window->Events().RowCount(), 256u);
}

// Every field under its heading, with what --help says of its key beneath it,
// and an example in an empty list.
TEST(InstrumentOptions, ExplainEveryFieldUnderItsHeading) {
  WindowRig rig;
  ui::frmInstrumentOptions options(rig.dialogs, rig.window->CurrentSettings());
  for (const session::SettingKey* key : session::KeysOfGroup(session::kInstrumentGroup)) {
    const QString name = QString::fromUtf8(key->name.data(), static_cast<qsizetype>(key->name.size()));
    QWidget* editor = options.Editor(key->name);
    auto* about = options.findChild<QLabel*>("about " + name);
    ASSERT_NE(about, nullptr) << key->name;
    EXPECT_EQ(about->text().toStdString(), key->values);
    EXPECT_EQ(editor->toolTip().toStdString(), key->values);
    // Both inside the box of the key's heading ("Other" for a key without one).
    const std::string heading = key->heading.empty() ? "Other" : std::string(key->heading);
    auto* box = options.findChild<QGroupBox*>(QString::fromStdString("heading " + heading));
    ASSERT_NE(box, nullptr) << heading;
    EXPECT_TRUE(box->isAncestorOf(editor) && box->isAncestorOf(about)) << key->name;
  }
  EXPECT_NE(options.findChild<QGroupBox*>("heading Layers and rounds"), nullptr);
  EXPECT_NE(options.findChild<QGroupBox*>("heading Trimming"), nullptr);
  EXPECT_NE(options.findChild<QGroupBox*>("heading Files"), nullptr);
  auto* layers = qobject_cast<QLineEdit*>(options.Editor("VelocityLayers"));
  ASSERT_TRUE(layers->text().isEmpty());
  EXPECT_TRUE(layers->placeholderText().contains("40,80,127"));
}

}  // namespace
}  // namespace ntr::uitest
