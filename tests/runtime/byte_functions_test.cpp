#include <gtest/gtest.h>

#include <string>

#include "bit_ops.h"
#include "char_code.h"
#include "colour.h"
#include "fixed_images.h"
#include "frame.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

class ByteFunctions : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(ByteFunctions, CharCodeAtCountsFromEitherEnd) {
  const std::pair<int32_t, int32_t> ab[] = {{2, 66}, {3, -1}, {-1, 66}, {-2, 65}, {-3, -1},
                                            {0, -1}, {INT32_MIN, -1}, {INT32_MAX, -1}};
  for (auto [position, code] : ab) {
    testing::PushBytes("AB");
    EXPECT_EQ(CharCodeAt(position), code) << position;
  }
  testing::PushBytes("");
  EXPECT_EQ(CharCodeAt(1), -1);
  testing::PushBytes("\xFF");
  EXPECT_EQ(CharCodeAt(1), 255);  // bytes are unsigned
  testing::PushWide(u"A\uFFFF");
  EXPECT_EQ(CharCodeAtWide(-1), 0xFFFF);
  testing::PushWide(u"A");
  EXPECT_EQ(CharCodeAtWide(2), -1);
}

TEST_F(ByteFunctions, CharCodeWritesInPlaceOnlyInsideTheText) {
  DynString v = DynString::FromBytes("abc");
  const unsigned char* block = v.data();
  CharCodeWrite(v, 1, 'X');
  CharCodeWrite(v, -1, 0x15A);  // the low byte only
  for (int32_t outside : {0, 4, -4}) CharCodeWrite(v, outside, 'Q');
  EXPECT_EQ(v.view(), "XbZ");
  EXPECT_EQ(v.data(), block);
  DynString w = DynString::FromUnits(u"ab");
  CharCodeWriteWide(w, 2, 0x20AC);
  CharCodeWriteWide(w, 3, 'Q');
  EXPECT_EQ(w.wide(), u"a\u20AC");
}

TEST_F(ByteFunctions, BitsAddressBytesUpwardFromTheLowOne) {
  int32_t five = 5;
  EXPECT_EQ(BitTest(&five, 0), 1);
  EXPECT_EQ(BitTest(&five, 1), 0);
  EXPECT_EQ(BitTest(&five, 2), 1);
  uint32_t v = 0;
  BitSet(&v, 8);
  BitSet(&v, 31);
  EXPECT_EQ(v, 0x80000100u);
  BitToggle(&v, 31);
  BitToggle(&v, 0);
  BitReset(&v, 8);
  EXPECT_EQ(v, 1u);
  BitAssign(&v, 4, 3);  // bit 0 of the value decides
  BitAssign(&v, 0, 2);
  EXPECT_EQ(v, 0x10u);
}

TEST_F(ByteFunctions, ColoursSwapAndClamp) {
  EXPECT_EQ(SwapRedBlue(0x00FF0000), 0x000000FF);
  EXPECT_EQ(SwapRedBlue(static_cast<int32_t>(0xFF123456u)), 0x00563412);  // byte 3 cleared
  EXPECT_EQ(ColourCompose(300, -5, 128), 0x8000FF);
  EXPECT_EQ(PixelCompose(300, -5, INT32_MIN), 0xFF0000);
}

std::string Image(void (*pack)(long double), long double v) {
  pack(v);
  return testing::PopBytes();
}

TEST_F(ByteFunctions, FixedWidthImagesAreLittleEndian) {
  PackLong(0x000000FF);
  EXPECT_EQ(testing::PopBytes(), std::string("\xFF\0\0\0", 4));
  PackLong(0x12345678);
  EXPECT_EQ(testing::PopBytes(), "\x78\x56\x34\x12");
  PackByte(0x1234);
  EXPECT_EQ(testing::PopBytes(), "\x34");
  PackWord(0x12345);
  EXPECT_EQ(testing::PopBytes(), "\x45\x23");
  EXPECT_EQ(Image(PackSingle, 1.0L), std::string("\0\0\x80\x3F", 4));
  EXPECT_EQ(Image(PackDouble, -2.0L), std::string("\0\0\0\0\0\0\0\xC0", 8));
  EXPECT_EQ(Image(PackQuad, -2.5L), "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Image(PackQuad, 1e30L), std::string("\0\0\0\0\0\0\0\x80", 8));  // out of range
  EXPECT_EQ(Image(PackUnsignedLong, 4294967296.0L + 7), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(Image(PackUnsignedLong, -1), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Image(PackCurrency, 1.23456L), std::string("\x3A\x30\0\0\0\0\0\0", 8));  // 12346
  EXPECT_EQ(Image(PackExtendedCurrency, 2.125L), std::string("\xD4\0\0\0\0\0\0\0", 8));  // 212
  EXPECT_EQ(Image(PackExtended, 1.0L), std::string("\0\0\0\0\0\0\0\x80\xFF\x3F", 10));
}

}  // namespace
}  // namespace qv
