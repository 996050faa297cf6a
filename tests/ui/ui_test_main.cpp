// Runs the widget tests inside one QApplication; CTest sets QT_QPA_PLATFORM=offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "ui/dialog_template.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time needs no display.
  if (::testing::GTEST_FLAG(list_tests)) {
    return RUN_ALL_TESTS();
  }
  QApplication app(argc, argv);
  mixconv::ui::RegisterFontSubstitutes();
  return RUN_ALL_TESTS();
}
