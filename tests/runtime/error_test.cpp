#include <gtest/gtest.h>

#include "error.h"
#include "frame.h"

namespace qv {
namespace {

void ProcedureThatFails(uint8_t* seen) {
  ProcedureFrame frame;
  RaiseError(69);
  *seen = ErrorNumber();
}

TEST(ErrorModel, ErrorBelongsToTheActivationThatCalledTheOperation) {
  ProcedureFrame caller;
  uint8_t seen_inside = 0;
  ProcedureThatFails(&seen_inside);
  EXPECT_EQ(seen_inside, 69);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST(ErrorModel, RaiseRecordsNumberAndFlagsAndReadingDoesNotClear) {
  ProcedureFrame frame;
  RaiseError(0);
  EXPECT_EQ(ErrorNumber(), kErrorRaisedZero);
  EXPECT_EQ(frame.error_word(), (0xB0 << 8) | 51);
  EXPECT_EQ(ErrorNumber(), 51);
  EXPECT_EQ(ErrorTake(), 51);
  EXPECT_EQ(ErrorNumber(), 0);
  ErrorSet(12);
  EXPECT_EQ(ErrorNumber(), 12);
  ErrorClear();
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST(ErrorModel, UserRaiseAcceptsOnlyOneTo255) {
  ProcedureFrame frame;
  ErrorRaiseUser(0);
  EXPECT_EQ(ErrorTake(), kErrorInvalidArgument);
  ErrorRaiseUser(256);
  EXPECT_EQ(ErrorTake(), kErrorInvalidArgument);
  ErrorRaiseUser(-3);
  EXPECT_EQ(ErrorTake(), kErrorInvalidArgument);
  ErrorRaiseUser(200);
  EXPECT_EQ(ErrorTake(), 200);
}

TEST(ErrorModel, PlatformCodesMapThroughTheTable) {
  const std::pair<uint32_t, uint8_t> cases[] = {
      {0, 0},   {1, 75},  {2, 53},  {3, 76},  {4, 67},  {5, 70},  {6, 57},   {7, 241}, {8, 7},
      {9, 241}, {10, 241}, {11, 51}, {12, 51}, {13, 51}, {14, 7},  {15, 68},  {16, 75}, {17, 74},
      {18, 53}, {19, 70}, {20, 68}, {21, 71}, {22, 51}, {23, 72}, {24, 51},  {25, 72}, {31, 72},
      {32, 70}, {33, 70}, {34, 72}, {35, 72}, {36, 70}, {37, 75}, {38, 62},  {39, 61}, {40, 75},
      {87, 5},  {112, 61}, {183, 75}, {0xFFFFFFFF, 75}};
  for (auto [code, number] : cases) EXPECT_EQ(MapPlatformError(code), number) << "code " << code;
}

#if !defined(_WIN32)
// Under Wine the same is checked on a real process started by the start-up tests.
TEST(ErrorModelDeath, FatalNumbersEndTheProcessWith255) {
  EXPECT_EXIT({ RaiseError(241); }, ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT({ RaiseError(kErrorFatalFeatureMissing); }, ::testing::ExitedWithCode(255), "");
}
#endif

}  // namespace
}  // namespace qv
