#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// Runs the tests inside a QApplication. Without a display of their own the
// widgets are drawn offscreen.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
