// GoogleTest main for widget tests: they need a QApplication, and no display.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
  // CTest runs the tests offscreen; listing them at build time must not need a display either.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VARNELLE_TEST_SCALE_FACTOR
  qputenv("QT_SCALE_FACTOR", VARNELLE_TEST_SCALE_FACTOR);
#endif
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
