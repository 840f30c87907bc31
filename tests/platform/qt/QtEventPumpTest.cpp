#include "platform/qt/QtEventPump.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

namespace ostrel {
namespace {

TEST(QtEventPumpTest, HandlesWhatIsPending) {
  QtEventPump pump;
  bool ran = false;
  QTimer::singleShot(0, [&ran] { ran = true; });
  pump.ProcessPending();
  EXPECT_TRUE(ran);
}

TEST(QtEventPumpTest, AWaitLoopStaysResponsiveToClicks) {
  QtEventPump pump;
  QPushButton button("Go");
  button.show();
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
  QTimer::singleShot(20, [&button] { QTest::mouseClick(&button, Qt::LeftButton); });
  QElapsedTimer clock;
  clock.start();
  while (clicks == 0 && clock.elapsed() < 2000) pump.ProcessPending();
  EXPECT_EQ(clicks, 1);
}

TEST(QtEventPumpTest, WaitsBrieflyWhenNothingIsPending) {
  QtEventPump pump(20);
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 5; ++i) pump.ProcessPending();
  EXPECT_GE(clock.elapsed(), 80);  // five idle passes do not spin
}

}  // namespace
}  // namespace ostrel
