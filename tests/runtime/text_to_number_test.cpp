#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <random>
#include <string>

#include "float_integer.h"
#include "frame.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "text_to_number.h"

namespace qv {
namespace {

using testing::PushBytes;

class TextToNumberTest : public ::testing::Test {
 protected:
  long double Read(const std::string& s, int32_t start = 1) {
    PushBytes(s);
    return TextToNumber(start);
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TextToNumberTest, DecimalNumbersAndWhatEndsThem) {
  EXPECT_EQ(Read("9600"), 9600);
  EXPECT_EQ(Read("  -12.5e1xyz"), -125);
  EXPECT_EQ(Read("abc"), 0);
  EXPECT_EQ(Read(""), 0);
  EXPECT_EQ(Read("   "), 0);
  EXPECT_EQ(Read("- 5"), 0);
  EXPECT_EQ(Read("1.2.3"), 1.2L);
  EXPECT_EQ(Read("96E2"), 9600);
  EXPECT_EQ(Read("\t\r\n 42"), 42);
  EXPECT_EQ(Read("+7"), 7);
  EXPECT_EQ(Read(".5"), 0.5L);
  EXPECT_EQ(Read("5."), 5);
  EXPECT_EQ(Read("."), 0);
  EXPECT_EQ(Read("-.e5"), 0);
  EXPECT_EQ(Read("1e"), 1);
  EXPECT_EQ(Read("1e+"), 1);
  EXPECT_EQ(Read("1d2"), 100);
  EXPECT_EQ(Read("1D-2"), 0.01L);
  EXPECT_EQ(Read("25e-1"), 2.5L);
  EXPECT_EQ(Read("0.0012"), 0.0012L);
  EXPECT_EQ(Read("000000000000000000000000012"), 12);
  EXPECT_EQ(Read("0.00000000000000000001"), 1e-20L);
  EXPECT_EQ(Read(std::string("9600\0" "1", 6)), 9600);  // a zero byte ends the number
}

TEST_F(TextToNumberTest, EighteenSignificantDigitsAreKept) {
  EXPECT_EQ(Read("123456789012345678"), 123456789012345678.0L);
  // Digits past the 18th only move the point.
  EXPECT_EQ(Read("12345678901234567890"), 12345678901234567800.0L);
  EXPECT_EQ(Read("1.23456789012345678999"), Read("1.23456789012345678"));
  EXPECT_EQ(Read("0.000123456789012345678999e4"), Read("1.23456789012345678"));
}

TEST_F(TextToNumberTest, ExponentClampOverflowAndUnderflow) {
  const long double two127 = 1.7014118346046923173e38L;
  EXPECT_EQ(kNumberOverflowValue, two127);
  EXPECT_EQ(Read("1E5000"), two127);
  EXPECT_EQ(Read("-1E5000"), -two127);
  EXPECT_EQ(Read("1E4932"), two127);  // the point past 4932 digits
  EXPECT_EQ(Read("1e99999999999999999999"), two127);
  EXPECT_EQ(Read("1E-5000"), 0);
  EXPECT_EQ(Read("1e-99999999999999999999"), 0);
  EXPECT_EQ(Read("0.1E-4933"), 0);
  EXPECT_GT(Read("9.9E4931"), 9.8e4931L);
  EXPECT_GT(Read("1E-4933"), 0);  // a denormal, not yet zero
  // Long digit strings move the point; the exponent is clamped at 9999 before it applies.
  const std::string huge = "1" + std::string(6000, '0');
  EXPECT_NEAR(Read(huge + "E-5000") / Read("1E1000"), 1, 1e-17L);
  EXPECT_NEAR(Read(huge + "E-99999") / Read("1E-3999"), 1, 1e-17L);
  EXPECT_EQ(Read("1E10000"), two127);
}

TEST_F(TextToNumberTest, BasedIntegersAndTheirSignRules) {
  EXPECT_EQ(Read("&H2580"), 9600);
  EXPECT_EQ(Read("&h2580"), 9600);
  EXPECT_EQ(Read("&B101"), 5);
  EXPECT_EQ(Read("&b102"), 2);
  EXPECT_EQ(Read("&17"), 15);
  EXPECT_EQ(Read("&19"), 1);
  EXPECT_EQ(Read("&O17"), 15);
  EXPECT_EQ(Read("&q17"), 15);
  EXPECT_EQ(Read("&H"), 0);
  EXPECT_EQ(Read("&"), 0);
  EXPECT_EQ(Read("&Hxyz"), 0);
  EXPECT_EQ(Read("  &Hff"), 255);
  EXPECT_EQ(Read("-&H10"), 0);
  EXPECT_EQ(Read("&HFFFF"), -1);
  EXPECT_EQ(Read("&HFFFF%"), -1);
  EXPECT_EQ(Read("&HFFFF&"), 65535);
  EXPECT_EQ(Read("&H0FFFF"), 65535);
  EXPECT_EQ(Read("&HFFFF&&"), 65535);
  EXPECT_EQ(Read("&HFFFF?"), 65535);
  EXPECT_EQ(Read("&H8000"), -32768);
  EXPECT_EQ(Read("&H7FFF"), 32767);
  EXPECT_EQ(Read("&HFFFFFFFF"), -1);
  EXPECT_EQ(Read("&HFFFFFFFF&"), -1);
  EXPECT_EQ(Read("&H0FFFFFFFF"), 4294967295.0L);
  EXPECT_EQ(Read("&H80000000"), -2147483648.0L);
  EXPECT_EQ(Read("&H10000"), 65536);
  EXPECT_EQ(Read("&H100000000"), 4294967296.0L);
  EXPECT_EQ(Read("&HFFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(Read("&HFFFFFFFFFFFFFFFF&&"), -1);
  EXPECT_EQ(Read("&H0FFFFFFFFFFFFFFFF"), 18446744073709551615.0L);
  EXPECT_EQ(Read("&HFFFFFFFFFFFFFFFF?"), 0);  // unsigned with bit 63: 0
  EXPECT_EQ(Read("&H7FFFFFFFFFFFFFFF???"), 9223372036854775807.0L);
  EXPECT_EQ(Read("&H10000000000000000"), 0);  // 65 bits
  EXPECT_EQ(Read("&H0000000000000000000001"), 1);  // leading zeros take no bits
  EXPECT_EQ(Read("&B" + std::string(64, '1')), -1);
  EXPECT_EQ(Read("&B1" + std::string(64, '0')), 0);
}

TEST_F(TextToNumberTest, HexFormsOfSampledValuesComeBackWithTheSignRules) {
  std::mt19937_64 rng(99);
  char text[40];
  for (int i = 0; i < 20000; ++i) {
    const uint64_t v64 = rng();
    const uint32_t v32 = static_cast<uint32_t>(v64) | 0x10000;  // does not fit 16 bits
    const uint16_t v16 = static_cast<uint16_t>(v64 >> 20);
    std::snprintf(text, sizeof text, "&H%X", unsigned{v16});
    ASSERT_EQ(Read(text), static_cast<long double>(static_cast<int16_t>(v16))) << text;
    std::snprintf(text, sizeof text, "&H%X&", unsigned{v16});
    ASSERT_EQ(Read(text), static_cast<long double>(v16)) << text;
    std::snprintf(text, sizeof text, "&H%" PRIX32, v32);
    ASSERT_EQ(Read(text), static_cast<long double>(static_cast<int32_t>(v32))) << text;
    std::snprintf(text, sizeof text, "&H0%" PRIX32, v32);
    ASSERT_EQ(Read(text), static_cast<long double>(v32)) << text;
    if (v64 > 0xFFFFFFFFULL) {
      std::snprintf(text, sizeof text, "&H%" PRIX64, v64);
      ASSERT_EQ(Read(text), static_cast<long double>(static_cast<int64_t>(v64))) << text;
      std::snprintf(text, sizeof text, "&h%" PRIx64 "?", v64);
      ASSERT_EQ(Read(text), (v64 >> 63) ? 0 : static_cast<long double>(v64)) << text;
    }
  }
}

TEST_F(TextToNumberTest, StartPositionAndOperandConsumption) {
  EXPECT_EQ(Read("BAUD9600", 5), 9600);
  EXPECT_EQ(Read("BAUD9600", 8), 0);
  EXPECT_EQ(Read("BAUD9600", 9), 0);
  EXPECT_EQ(Read("BAUD9600", 1000), 0);
  EXPECT_EQ(Read("42", 0), 42);  // below 1 reads from the first byte
  EXPECT_EQ(Read("42", -7), 42);
  static constexpr auto kBaud = Text("115200");
  PushText(kBaud);  // a borrowed literal is read and left alone
  EXPECT_EQ(TextToNumber(1), 115200);
  PushEmpty();
  EXPECT_EQ(TextToNumber(1), 0);
}

TEST_F(TextToNumberTest, ConversionToIntegerRoundsHalvesToEven) {
  EXPECT_EQ(FloatToInteger(Read("9600.5")), 9600);
  EXPECT_EQ(FloatToInteger(Read("9601.5")), 9602);
  EXPECT_EQ(FloatToInteger(Read("1E10")), INT32_MIN);
  EXPECT_EQ(FloatToInteger(2.5L), 2);
  EXPECT_EQ(FloatToInteger(3.5L), 4);
  EXPECT_EQ(FloatToInteger(-2.5L), -2);
  EXPECT_EQ(FloatToInteger(-3.5L), -4);
  EXPECT_EQ(FloatToInteger(0.49999999999999999L), 0);
  EXPECT_EQ(FloatToInteger(2147483647.4L), INT32_MAX);
  EXPECT_EQ(FloatToInteger(2147483647.5L), INT32_MIN);  // rounds to 2^31: out of range
  EXPECT_EQ(FloatToInteger(-2147483648.5L), INT32_MIN);
  EXPECT_EQ(FloatToInteger(-2147483647.5L), INT32_MIN);  // -2^31 itself, in range
  EXPECT_EQ(FloatToInteger(-2147483646.5L), -2147483646);
  EXPECT_EQ(FloatToInteger(std::numeric_limits<long double>::quiet_NaN()), INT32_MIN);
  EXPECT_EQ(FloatToInteger(std::numeric_limits<long double>::infinity()), INT32_MIN);
  EXPECT_EQ(FloatToQuad(9223372036854775807.0L), INT64_MAX);
  EXPECT_EQ(FloatToQuad(9223372036854775808.0L), INT64_MIN);
  EXPECT_EQ(FloatToQuad(-9223372036854775808.0L), INT64_MIN);
  EXPECT_EQ(FloatToQuad(1e30L), INT64_MIN);
  EXPECT_EQ(FloatToQuad(-4.5L), -4);
  EXPECT_EQ(IntegerToFloat(INT32_MIN), -2147483648.0L);
  EXPECT_EQ(IntegerToFloat(123456789), 123456789.0L);
}

}  // namespace
}  // namespace qv
