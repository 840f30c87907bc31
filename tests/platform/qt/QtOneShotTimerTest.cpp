#include "platform/qt/QtOneShotTimer.h"

#include <gtest/gtest.h>

#include <QtTest/QTest>

namespace ostrel {
namespace {

TEST(QtOneShotTimerTest, RunsOnceUnlessStopped) {
  QtOneShotTimer timer;
  int runs = 0;
  timer.SetHandler([&runs] { ++runs; });
  timer.Start(5);
  EXPECT_TRUE(timer.Active());
  EXPECT_TRUE(QTest::qWaitFor([&runs] { return runs > 0; }, 5000));
  QTest::qWait(30);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(timer.Active());

  timer.Start(5);
  timer.Stop();
  QTest::qWait(30);
  EXPECT_EQ(runs, 1);
}

TEST(QtOneShotTimerTest, PeriodsBeyondAQTimersRangeAreCapped) {
  QtOneShotTimer timer;
  timer.Start(int64_t{1} << 40);  // more than 24 days
  EXPECT_TRUE(timer.Active());
}

}  // namespace
}  // namespace ostrel
