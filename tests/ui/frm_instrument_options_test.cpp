// SPDX-License-Identifier: GPL-3.0-or-later
// The "Instrument Options" dialog of the File menu: one editor per key of the
// group "Instrument", a text that does not fit refused, what changed stored
// at once, and the list regenerated for the new takes.

#include <QAction>
#include <QDialog>
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

}  // namespace
}  // namespace ntr::uitest
