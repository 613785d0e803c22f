#include <gtest/gtest.h>

#include "error.h"
#include "frame.h"
#include "string_ops.h"
#include "text_literal.h"

namespace qv {
namespace {

static constexpr auto kCom3 = Text("COM3");
static constexpr auto kEmpty = Text("");

class StringOps : public ::testing::Test {
 protected:
  ProcedureFrame frame_;
};

TEST_F(StringOps, AssignOfEmptyLiteralLeavesVariableNull) {
  DynString v = DynString::FromBytes("old");
  PushText(kEmpty);
  AssignText(v);
  EXPECT_TRUE(v.empty());
  PushText(v);
  EXPECT_EQ(TextLength(), 0);
  EXPECT_EQ(frame_.operands().depth(), 0);
}

TEST_F(StringOps, AssignOfBorrowedReusesBlockOnlyForEqualLength) {
  DynString v = DynString::FromBytes("COM5");
  const unsigned char* block = v.data();
  PushText(kCom3);
  AssignText(v);
  EXPECT_EQ(v.data(), block);
  EXPECT_EQ(v.view(), "COM3");

  static constexpr auto kLonger = Text("COM10");
  PushText(kLonger);
  AssignText(v);
  EXPECT_EQ(v.view(), "COM10");

  PushText(v);  // a variable assigned to itself stays intact
  AssignText(v);
  EXPECT_EQ(v.view(), "COM10");
}

TEST_F(StringOps, AssignOfOwnedMovesTheBlockWithoutCopy) {
  DynString source = DynString::FromBytes("pixels");
  const unsigned char* block = source.data();
  DynString v;
  PushOwned(std::move(source));
  AssignText(v);
  EXPECT_EQ(v.data(), block);
}

TEST_F(StringOps, ConcatWithEmptySideKeepsTheOtherOperandAsItWas) {
  PushText(kEmpty);
  PushText(kCom3);
  Concat();
  ASSERT_EQ(frame_.operands().depth(), 1);
  TextRef top = *frame_.operands().Slot(0);
  EXPECT_FALSE(top.owned());  // no allocation: still the borrowed literal
  EXPECT_EQ(top.data(), kCom3.ref().data());

  PushEmpty();
  Concat();
  top = *frame_.operands().Slot(0);
  EXPECT_EQ(top.data(), kCom3.ref().data());
  PopDiscard();
}

TEST_F(StringOps, ConcatBuildsOwnedResultInSourceOrder) {
  static constexpr auto kTitle = Text("Quorvex");
  static constexpr auto kDash = Text(" - Port: ");
  PushText(kTitle);
  PushText(kDash);
  Concat();
  PushText(kCom3);
  Concat();
  EXPECT_TRUE(frame_.operands().Slot(0)->owned());
  EXPECT_EQ(PopText().view(), "Quorvex - Port: COM3");
}

TEST_F(StringOps, WideAndAnsiRoundTrip) {
  PushText(kCom3);
  ToWide();
  TextRef wide = *frame_.operands().Slot(0);
  EXPECT_EQ(wide.units(), 4u);
  EXPECT_EQ(wide.bytes(), 8u);
  EXPECT_EQ(wide.wide_view(), u"COM3");
  ToAnsi();
  EXPECT_EQ(PopText().view(), "COM3");
}

TEST_F(StringOps, ConversionReachesLowerSlotsAndLeavesNullAlone) {
  PushText(kCom3);
  PushEmpty();
  ToWide(1);
  ToWide(0);
  EXPECT_TRUE(frame_.operands().Slot(0)->null());
  EXPECT_EQ(frame_.operands().Slot(1)->wide_view(), u"COM3");
  PopDiscard();
  PopDiscard();
}

TEST_F(StringOps, ConversionUsesTheThreadCodePage) {
  uint32_t previous = CodePageSet(65001);
  static constexpr auto kUtf8 = Text("\xC3\xA9");  // e acute
  PushText(kUtf8);
  ToWide();
  EXPECT_EQ(PopText().wide_view(), u"\u00e9");
  EXPECT_EQ(CodePageSet(previous), 65001u);
}

TEST_F(StringOps, ReplaceInPlaceWritesOnlyInsideTheBlock) {
  auto replace = [](DynString& v, int32_t pos, int32_t count, std::string_view r) {
    PushOwned(DynString::FromBytes(r));
    ReplaceInPlace(v, pos, count);
  };
  DynString v = DynString::FromBytes("abcdef");
  const unsigned char* block = v.data();
  replace(v, 0, 4, "XXXX");
  replace(v, 8, 4, "XXXX");
  EXPECT_EQ(v.view(), "abcdef");
  replace(v, 5, 4, "WXYZ");  // L - 1 with count 4: two bytes fit
  EXPECT_EQ(v.view(), "abcdWX");
  replace(v, -1, 1, "!");
  EXPECT_EQ(v.view(), "abcdW!");
  replace(v, -7, 1, "?");  // still below 1 after conversion
  replace(v, 1, -7, "?");  // count still negative
  EXPECT_EQ(v.view(), "abcdW!");
  replace(v, 2, -4, "123");  // count -4 + 6 = 2
  EXPECT_EQ(v.view(), "a12dW!");
  replace(v, 7, 4, "Q");  // just past the end: nothing to write
  EXPECT_EQ(v.view(), "a12dW!");
  EXPECT_EQ(v.data(), block);
  EXPECT_EQ(v.bytes(), 6u);

  DynString empty;
  replace(empty, 1, 4, "abcd");
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(frame_.operands().depth(), 0);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(StringOps, BorrowedSixteenByteRowsWriteAsAnOwnedCopyWould) {
  // Borrowed 16-byte rows take a short way; at every position and count they must write
  // exactly what the same bytes passed as an owned copy write.
  const std::string base = "0123456789abcdefghijklmnopqrstuvwxyzABCD";  // 40 bytes
  const DynString row = DynString::FromBytes("ROW-ROW-ROW-ROW!");
  const int32_t length = int32_t(base.size());
  for (int32_t position = -length - 2; position <= length + 2; ++position) {
    for (int32_t count : {-length - 1, -30, -1, 0, 1, 15, 16, 17, 1000}) {
      DynString borrowed = DynString::FromBytes(base), owned = DynString::FromBytes(base);
      PushText(row);
      ReplaceInPlace(borrowed, position, count);
      PushOwned(DynString(row));
      ReplaceInPlace(owned, position, count);
      ASSERT_EQ(borrowed.view(), owned.view()) << position << " " << count;
    }
  }
  DynString v = DynString::FromBytes(base);
  PushText(row);
  ReplaceInPlace(v, 25, 16);  // the last 16 bytes
  EXPECT_EQ(v.view(), base.substr(0, 24) + "ROW-ROW-ROW-ROW!");
  PushText(row);
  ReplaceInPlace(v, 26, 16);  // one further: cut at the end
  EXPECT_EQ(v.view(), base.substr(0, 24) + "RROW-ROW-ROW-ROW");
  EXPECT_EQ(frame_.operands().depth(), 0);
}

TEST_F(StringOps, OperandsLeftOnAFrameAreReleasedWithIt) {
  {
    ProcedureFrame inner;
    PushOwned(DynString::FromBytes("left behind"));
    EXPECT_EQ(inner.operands().depth(), 1);
  }  // the sanitizer build reports a leak if this is not released
  EXPECT_EQ(frame_.operands().depth(), 0);
}

#if !defined(_WIN32)
// Under Wine the same is checked on real child processes by the start-up tests.
TEST(OperandStackDeath, SixthOperandAndPopOfNoneAreFatal) {
  EXPECT_EXIT(
      {
        ProcedureFrame frame;
        for (int i = 0; i < 6; ++i) PushOwned(DynString::FromBytes("x"));
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(
      {
        ProcedureFrame frame;
        PopDiscard();
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(
      {
        ProcedureFrame frame;
        PushText(kCom3);
        Concat();
      },
      ::testing::ExitedWithCode(255), "");
}
#endif

}  // namespace
}  // namespace qv
