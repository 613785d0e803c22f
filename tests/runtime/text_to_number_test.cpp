#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "fixed_images.h"
#include "float_integer.h"
#include "frame.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "text_to_number.h"

namespace qv {
namespace {

class TextToNumberTest : public ::testing::Test {
 protected:
  long double Read(const std::string& s, int32_t start = 1) {
    testing::PushBytes(s);
    return TextToNumber(start);
  }
  void Expect(std::initializer_list<std::pair<const char*, long double>> cases) {
    for (auto [text, value] : cases) EXPECT_EQ(Read(text), value) << text;
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

constexpr long double kTwo127 = 1.7014118346046923173e38L;

TEST_F(TextToNumberTest, DecimalNumbersAndWhatEndsThem) {
  Expect({{"9600", 9600}, {"  -12.5e1xyz", -125}, {"abc", 0}, {"", 0}, {"   ", 0}, {"- 5", 0},
          {"1.2.3", 1.2L}, {"96E2", 9600}, {"\t\r\n 42", 42}, {"+7", 7}, {".5", 0.5L}, {"5.", 5},
          {".", 0}, {"-.e5", 0}, {"1e", 1}, {"1e+", 1}, {"1d2", 100}, {"1D-2", 0.01L},
          {"0.0012", 0.0012L}, {"000000000000000000000000012", 12},
          {"0.00000000000000000001", 1e-20L}});
  EXPECT_EQ(Read(std::string("96\0" "1", 4)), 96);
  // Digits past the 18th only move the point.
  EXPECT_EQ(Read("12345678901234567890"), 12345678901234567800.0L);
  EXPECT_EQ(Read("0.000123456789012345678999e4"), Read("1.23456789012345678"));
}

TEST_F(TextToNumberTest, MinusZeroKeepsItsSign) {
  for (const char* text : {"-0", "-0.0", "-000", "-.0", " \t-0.000E7", "-0x"}) {
    const long double v = Read(text);
    EXPECT_EQ(v, 0) << text;
    EXPECT_TRUE(std::signbit(v)) << text;
  }
  // Without any digit there is no number to negate: a plain 0.
  for (const char* text : {"0", "+0", "0.0", "-", "-.", "-x", "-.e5"})
    EXPECT_FALSE(std::signbit(Read(text))) << text;
  // The sign reaches the packed images.
  testing::PushBytes("-0");
  PackDouble(TextToNumber(1));
  EXPECT_EQ(testing::PopBytes(), std::string("\0\0\0\0\0\0\0\x80", 8));
  testing::PushBytes("-0.0");
  PackExtended(TextToNumber(1));
  EXPECT_EQ(testing::PopBytes(), std::string("\0\0\0\0\0\0\0\0\0\x80", 10));
}

TEST_F(TextToNumberTest, ExponentClampOverflowAndUnderflow) {
  Expect({{"1E5000", kTwo127}, {"-1E5000", -kTwo127}, {"1E4932", kTwo127}, {"1E10000", kTwo127},
          {"1e99999999999999999999", kTwo127}, {"1E-5000", 0}, {"0.1E-4933", 0}});
  EXPECT_GT(Read("9.9E4931"), 9.8e4931L);
  EXPECT_GT(Read("1E-4933"), 0);  // a denormal, not yet zero
  // A long digit string moves the point; the exponent is clamped at 9999 before it applies.
  const std::string huge = "1" + std::string(6000, '0');
  EXPECT_NEAR(Read(huge + "E-5000") / Read("1E1000"), 1, 1e-17L);
  EXPECT_NEAR(Read(huge + "E-99999") / Read("1E-3999"), 1, 1e-17L);
}

TEST_F(TextToNumberTest, BasedIntegersAndTheirSignRules) {
  Expect({{"&H2580", 9600}, {"&h2580", 9600}, {"&B101", 5}, {"&b102", 2}, {"&17", 15}, {"&19", 1},
          {"&O17", 15}, {"&q17", 15}, {"&H", 0}, {"&", 0}, {"&Hxyz", 0}, {"  &Hff", 255},
          {"-&H10", 0}, {"&HFFFF", -1}, {"&HFFFF%", -1}, {"&HFFFF&", 65535}, {"&H0FFFF", 65535},
          {"&HFFFF&&", 65535}, {"&HFFFF?", 65535}, {"&H8000", -32768}, {"&H7FFF", 32767},
          {"&HFFFFFFFF", -1}, {"&HFFFFFFFF&", -1}, {"&H0FFFFFFFF", 4294967295.0L},
          {"&H80000000", -2147483648.0L}, {"&H10000", 65536}, {"&HFFFFFFFFFFFFFFFF", -1},
          {"&H0FFFFFFFFFFFFFFFF", 18446744073709551615.0L}, {"&HFFFFFFFFFFFFFFFF?", 0},
          {"&H7FFFFFFFFFFFFFFF???", 9223372036854775807.0L}, {"&H10000000000000000", 0},
          {"&H0000000000000000000001", 1}});
  EXPECT_EQ(Read("&B" + std::string(64, '1')), -1);
  EXPECT_EQ(Read("&B1" + std::string(64, '0')), 0);  // 65 bits
}

TEST_F(TextToNumberTest, HexFormsOfSampledValuesComeBackWithTheSignRules) {
  std::mt19937_64 rng(99);
  char text[40];
  auto read = [&](const char* format, auto v) {
    std::snprintf(text, sizeof text, format, v);
    return Read(text);
  };
  for (int i = 0; i < 20000; ++i) {
    const uint64_t v64 = rng() | (uint64_t{1} << 40);
    const uint32_t v32 = static_cast<uint32_t>(v64) | 0x10000;  // more than 16 bits
    const unsigned v16 = static_cast<uint16_t>(v64 >> 20);
    ASSERT_EQ(read("&H%X", v16), static_cast<int16_t>(v16)) << text;
    ASSERT_EQ(read("&H%X&", v16), v16) << text;
    ASSERT_EQ(read("&H%" PRIX32, v32), static_cast<int32_t>(v32)) << text;
    ASSERT_EQ(read("&H0%" PRIX32, v32), v32) << text;
    ASSERT_EQ(read("&H%" PRIX64, v64), static_cast<long double>(static_cast<int64_t>(v64))) << text;
    ASSERT_EQ(read("&h%" PRIx64 "?", v64), (v64 >> 63) ? 0 : static_cast<long double>(v64)) << text;
  }
}

TEST_F(TextToNumberTest, StartPositionAndOperands) {
  EXPECT_EQ(Read("BAUD9600", 5), 9600);
  EXPECT_EQ(Read("BAUD9600", 9), 0);
  EXPECT_EQ(Read("BAUD9600", INT32_MAX), 0);
  EXPECT_EQ(Read("42", 0), 42);  // below 1 reads from the first byte
  EXPECT_EQ(Read("42", INT32_MIN), 42);
  static constexpr auto kBaud = Text("115200");
  PushText(kBaud);
  EXPECT_EQ(TextToNumber(1), 115200);
  PushEmpty();
  EXPECT_EQ(TextToNumber(1), 0);
}

TEST_F(TextToNumberTest, ConversionToIntegerRoundsHalvesToEven) {
  EXPECT_EQ(FloatToInteger(Read("9600.5")), 9600);
  EXPECT_EQ(FloatToInteger(Read("9601.5")), 9602);
  EXPECT_EQ(FloatToInteger(Read("1E10")), INT32_MIN);
  const std::pair<long double, int32_t> cases[] = {
      {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-3.5L, -4}, {0.49999999999999999L, 0},
      {2147483647.4L, INT32_MAX}, {2147483647.5L, INT32_MIN}, {-2147483648.5L, INT32_MIN},
      {-2147483646.5L, -2147483646}, {std::numeric_limits<long double>::quiet_NaN(), INT32_MIN},
      {-std::numeric_limits<long double>::infinity(), INT32_MIN}};
  for (auto [x, n] : cases) EXPECT_EQ(FloatToInteger(x), n) << double(x);
  EXPECT_EQ(FloatToQuad(9223372036854775807.0L), INT64_MAX);
  EXPECT_EQ(FloatToQuad(9223372036854775808.0L), INT64_MIN);
  EXPECT_EQ(FloatToQuad(-4.5L), -4);
  EXPECT_EQ(IntegerToFloat(INT32_MIN), -2147483648.0L);
}

}  // namespace
}  // namespace qv
