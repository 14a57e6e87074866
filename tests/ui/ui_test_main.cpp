#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for every test. Offscreen unless the caller chose a platform, so that
// listing the tests at build time needs no display either.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
