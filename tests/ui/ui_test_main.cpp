// Runs the widget tests inside the program's application object; CTest sets
// QT_QPA_PLATFORM=offscreen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/support/conversion_harness.h"
#include "ui/converter_app.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time needs no display.
  if (::testing::GTEST_FLAG(list_tests)) {
    return RUN_ALL_TESTS();
  }
  // Whatever the toolkit would store lands in a home of the tests' own.
  const mixconv::testing::TempDir home;
  const std::string configHome = (home.path() / ".config").string();
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  mixconv::testing::PinTimeZone();
  mixconv::ui::ConverterApp app(argc, argv);
  return RUN_ALL_TESTS();
}
