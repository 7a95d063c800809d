// SPDX-License-Identifier: GPL-3.0-or-later
// The window's tests need one QApplication for the whole run. They never need
// a real display: without a platform named (test discovery runs the program
// bare) the offscreen one is used.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
