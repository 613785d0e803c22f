#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bit_ops.h"
#include "char_code.h"
#include "colour.h"
#include "error.h"
#include "fixed_images.h"
#include "frame.h"
#include "seconds_since_midnight.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

using testing::PopBytes;
using testing::PushBytes;
using testing::PushWide;

class ByteFunctions : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(frame_.operands().depth(), 0);
    EXPECT_EQ(ErrorNumber(), 0);
  }
  ProcedureFrame frame_;
};

int32_t CodeAt(const std::string& text, int32_t position) {
  PushBytes(text);
  return CharCodeAt(position);
}

TEST_F(ByteFunctions, CharCodeAtCountsFromEitherEnd) {
  EXPECT_EQ(CodeAt("AB", 2), 66);
  EXPECT_EQ(CodeAt("AB", 3), -1);
  EXPECT_EQ(CodeAt("AB", -1), 66);
  EXPECT_EQ(CodeAt("AB", -2), 65);
  EXPECT_EQ(CodeAt("AB", -3), -1);
  EXPECT_EQ(CodeAt("AB", 0), -1);
  EXPECT_EQ(CodeAt("", 1), -1);
  EXPECT_EQ(CodeAt("", -1), -1);
  EXPECT_EQ(CodeAt("\xFF", 1), 255);  // bytes are unsigned
  EXPECT_EQ(CodeAt(std::string(1, '\0'), 1), 0);
  EXPECT_EQ(CodeAt("AB", INT32_MIN), -1);
  EXPECT_EQ(CodeAt("AB", INT32_MAX), -1);

  PushWide(u"A\u20AC");
  EXPECT_EQ(CharCodeAtWide(2), 0x20AC);
  PushWide(u"A\uFFFF");
  EXPECT_EQ(CharCodeAtWide(-1), 0xFFFF);
  PushWide(u"A");
  EXPECT_EQ(CharCodeAtWide(2), -1);
}

TEST_F(ByteFunctions, CharCodeWritesInPlaceOnlyInsideTheText) {
  DynString v = DynString::FromBytes("abc");
  const unsigned char* block = v.data();
  CharCodeWrite(v, 1, 'X');
  CharCodeWrite(v, -1, 0x15A);  // the low byte only
  CharCodeWrite(v, 0, 'Q');
  CharCodeWrite(v, 4, 'Q');
  CharCodeWrite(v, -4, 'Q');
  EXPECT_EQ(v.view(), "XbZ");
  EXPECT_EQ(v.data(), block);
  DynString empty;
  CharCodeWrite(empty, 1, 'Q');
  EXPECT_TRUE(empty.empty());

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
  int32_t v = 0;
  BitSet(&v, 8);
  EXPECT_EQ(v, 0x100);
  BitSet(&v, 31);
  EXPECT_EQ(static_cast<uint32_t>(v), 0x80000100u);
  BitToggle(&v, 31);
  BitToggle(&v, 0);
  EXPECT_EQ(v, 0x101);
  BitReset(&v, 8);
  EXPECT_EQ(v, 1);
  BitAssign(&v, 4, 3);  // bit 0 of the value decides
  BitAssign(&v, 0, 2);
  EXPECT_EQ(v, 0x10);
  unsigned char bytes[3] = {};
  BitSet(bytes, 23);
  EXPECT_EQ(bytes[2], 0x80);
  EXPECT_EQ(BitTest(bytes, 23), 1);
}

TEST_F(ByteFunctions, ColourValues) {
  EXPECT_EQ(SwapRedBlue(0x00FF0000), 0x000000FF);
  EXPECT_EQ(SwapRedBlue(0x00CDFAFF), 0x00FFFACD);
  EXPECT_EQ(SwapRedBlue(static_cast<int32_t>(0xFF123456u)), 0x00563412);
  EXPECT_EQ(SwapRedBlue(-1), 0x00FFFFFF);
  EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00123456)), 0x00123456);
  EXPECT_EQ(ColourCompose(255, 0, 0), 0x0000FF);
  EXPECT_EQ(ColourCompose(1, 2, 3), 0x030201);
  EXPECT_EQ(ColourCompose(300, -5, 128), 0x8000FF);
  EXPECT_EQ(PixelCompose(1, 2, 3), 0x010203);
  EXPECT_EQ(PixelCompose(300, -5, INT32_MIN), 0xFF0000);
}

std::string Image(void (*pack)(long double), long double v) {
  pack(v);
  return PopBytes();
}

TEST_F(ByteFunctions, FixedWidthImagesAreLittleEndian) {
  PackLong(0x000000FF);
  EXPECT_EQ(PopBytes(), std::string("\xFF\0\0\0", 4));
  PackLong(-2);
  EXPECT_EQ(PopBytes(), "\xFE\xFF\xFF\xFF");
  PackLong(0x12345678);
  EXPECT_EQ(PopBytes(), "\x78\x56\x34\x12");
  PackByte(0x1234);
  EXPECT_EQ(PopBytes(), "\x34");
  PackWord(-1);
  EXPECT_EQ(PopBytes(), "\xFF\xFF");
  PackWord(0x12345);
  EXPECT_EQ(PopBytes(), "\x45\x23");

  EXPECT_EQ(Image(PackSingle, 1.0L), std::string("\0\0\x80\x3F", 4));
  EXPECT_EQ(Image(PackDouble, -2.0L), std::string("\0\0\0\0\0\0\0\xC0", 8));
  EXPECT_EQ(Image(PackQuad, -2.5L), "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Image(PackQuad, 1e30L), std::string("\0\0\0\0\0\0\0\x80", 8));
  EXPECT_EQ(Image(PackUnsignedLong, 4294967295.0L), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Image(PackUnsignedLong, 4294967296.0L + 7), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(Image(PackUnsignedLong, -1), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(Image(PackCurrency, 1.23456L), std::string("\x3A\x30\0\0\0\0\0\0", 8));  // 12346
  EXPECT_EQ(Image(PackExtendedCurrency, 2.125L), std::string("\xD4\0\0\0\0\0\0\0", 8));  // 212.5 -> 212
  EXPECT_EQ(Image(PackExtended, 1.0L), std::string("\0\0\0\0\0\0\0\x80\xFF\x3F", 10));
  EXPECT_EQ(Image(PackExtended, -0.0L), std::string("\0\0\0\0\0\0\0\0\0\x80", 10));
}

TEST_F(ByteFunctions, SecondsOfTheDay) {
  EXPECT_EQ(SecondsOfDay(0, 0, 0, 0), 0);
  EXPECT_EQ(SecondsOfDay(23, 59, 59, 999), 86399.999L);
  EXPECT_EQ(SecondsOfDay(1, 2, 3, 500), 3723.5L);
  const long double now = SecondsSinceMidnight();
  EXPECT_GE(now, 0);
  EXPECT_LT(now, 86400);
}

}  // namespace
}  // namespace qv
