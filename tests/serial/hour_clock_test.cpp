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

  // A deadline that lies in the next hour by the clock's reading.
  dev.SetClock(40, 0, 0);
  const uint32_t later = HourClockDeadline(3'000'000);  // 50 minutes on: 30:00.001
  EXPECT_EQ(later, 30 * 60'000u + 1);
  EXPECT_EQ(HourClockRemaining(later), 3'000'001u);
}

}  // namespace
}  // namespace qv::testing
