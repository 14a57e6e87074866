#include <gtest/gtest.h>

#include <QApplication>

#include "qt_translations.hpp"
#include "support/test_language.hpp"

// One QApplication for every test, in the language the test's environment asks for (CTest
// sets it), with Qt's own texts in that language as the program has them. Offscreen unless
// the caller chose a platform, so that listing the tests at build time needs no display either.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  palvarin::test::UseLanguageOfTestEnvironment();
  QApplication application(argc, argv);
  palvarin::InstallQtTranslations(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
