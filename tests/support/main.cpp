#include <gtest/gtest.h>

#ifdef TENDREL_TEST_WIDGETS
#include <QApplication>
#include <cstdlib>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// Tests run with a Qt application object so resources and application names
// work; tests of widgets (built with TENDREL_TEST_WIDGETS) get a QApplication.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef TENDREL_TEST_WIDGETS
  // Widgets need a display; test discovery runs without ctest's environment.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
