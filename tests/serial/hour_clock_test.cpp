#include <gtest/gtest.h>

#include "fake_device.h"
#include "hour_clock.h"

namespace qv::testing {
namespace {

using HourClockTest = FakeDeviceTest;

TEST_F(HourClockTest, DeadlinesAndRemainingTime) {
  dev.SetClock(12, 34, 567);
  EXPECT_EQ(HourClockNow(), 12 * 60'000u + 34'567u);
  EXPECT_EQ(HourClockDeadline(0), kNeverDeadline);
  EXPECT_GT(HourClockRemaining(kNeverDeadline), 0u);

  const uint32_t d = HourClockDeadline(1000);
  EXPECT_EQ(d, HourClockNow() + 1001);
  EXPECT_EQ(HourClockRemaining(d), 1001u);
  dev.Advance(1001);
  EXPECT_EQ(HourClockRemaining(d), 0u);
  dev.Advance(998);  // just passed
  EXPECT_EQ(HourClockRemaining(d), 0u);

  // Limits are cut to 59:50.
  dev.SetClock(0, 0, 0);
  EXPECT_EQ(HourClockDeadline(5'000'000), 3'590'001u);
  EXPECT_EQ(HourClockDeadline(3'590'000), 3'590'001u);
}

TEST_F(HourClockTest, DeadlinesInTheNextHour) {
  dev.SetClock(59, 59, 500);
  const uint32_t d = HourClockDeadline(1000);
  EXPECT_EQ(d, 501u);
  EXPECT_EQ(HourClockRemaining(d), 1001u);
  dev.Advance(500);  // 00:00.000 of the next hour
  EXPECT_EQ(HourClockRemaining(d), 501u);
  dev.Advance(501);
  EXPECT_EQ(HourClockRemaining(d), 0u);

  dev.SetClock(40, 0, 0);
  const uint32_t later = HourClockDeadline(3'000'000);  // 50 minutes on: 30:00.001
  EXPECT_EQ(later, 30 * 60'000u + 1);
  EXPECT_EQ(HourClockRemaining(later), 3'000'001u);
}

}  // namespace
}  // namespace qv::testing
