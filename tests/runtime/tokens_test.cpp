#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "tokens.h"

namespace qv {
namespace {

using testing::PopBytes;
using testing::PopWide;
using testing::PushBytes;
using testing::PushWide;

class TokensTest : public ::testing::Test {
 protected:
  int32_t Count(std::u16string_view text, std::u16string_view delimiter) {
    PushWide(text);
    PushWide(delimiter);
    return TokenCount();
  }
  std::u16string Field(std::u16string_view text, std::u16string_view delimiter, int32_t n) {
    PushWide(text);
    PushWide(delimiter);
    TokenField(n);
    return PopWide();
  }
  int32_t CountAny(std::u16string_view text, std::u16string_view set) {
    PushWide(text);
    PushWide(set);
    return TokenCountAny();
  }
  std::u16string FieldAny(std::u16string_view text, std::u16string_view set, int32_t n) {
    PushWide(text);
    PushWide(set);
    TokenFieldAny(n);
    return PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TokensTest, WholeStringDelimiter) {
  EXPECT_EQ(Count(u"", u" "), 1);
  EXPECT_EQ(Field(u"", u" ", 1), u"");
  EXPECT_EQ(Count(u"A  B", u" "), 3);
  EXPECT_EQ(Field(u"A  B", u" ", 1), u"A");
  EXPECT_EQ(Field(u"A  B", u" ", 2), u"");
  EXPECT_EQ(Field(u"A  B", u" ", 3), u"B");
  EXPECT_EQ(Count(u"abab", u"ab"), 3);
  EXPECT_EQ(Field(u"abab", u"ab", 2), u"");
  EXPECT_EQ(Count(u"aaa", u"aa"), 2);  // non-overlapping, left to right
  EXPECT_EQ(Field(u"aaa", u"aa", 2), u"a");
  EXPECT_EQ(Field(u",a,", u",", 1), u"");
  EXPECT_EQ(Field(u",a,", u",", 3), u"");
  EXPECT_EQ(Field(u" \"x,y\" ", u",", 1), u" \"x");  // no quote handling, no trimming
  EXPECT_EQ(Count(u"a", u"longer than a"), 1);
  EXPECT_EQ(Field(u"PORT=COM5 BAUD=9600", u" ", 2), u"BAUD=9600");
}

TEST_F(TokensTest, FieldNumbersOutOfRangeAndFromTheEnd) {
  EXPECT_EQ(Field(u"a,b,c", u",", -1), u"c");
  EXPECT_EQ(Field(u"a,b,c", u",", -3), u"a");
  EXPECT_EQ(Field(u"a,b,c", u",", -4), u"");
  EXPECT_EQ(Field(u"a,b,c", u",", 0), u"");
  EXPECT_EQ(Field(u"a,b,c", u",", 4), u"");
  EXPECT_EQ(Field(u"a,b,c", u",", INT32_MIN), u"");
  EXPECT_EQ(Field(u"a,b,c", u",", INT32_MAX), u"");
  EXPECT_EQ(Field(u"a,b,", u",", -1), u"");
}

TEST_F(TokensTest, CommaModeWithAnEmptyDelimiter) {
  const std::u16string text = u" \"x,y\" , z ";
  EXPECT_EQ(Count(text, u""), 2);
  EXPECT_EQ(Field(text, u"", 1), u"x,y");
  EXPECT_EQ(Field(text, u"", 2), u"z");
  EXPECT_EQ(Field(text, u"", -1), u"z");
  EXPECT_EQ(Field(text, u"", -2), u"x,y");
  EXPECT_EQ(Field(text, u"", 3), u"");
  EXPECT_EQ(Field(text, u"", 0), u"");

  EXPECT_EQ(Count(u"", u""), 1);
  EXPECT_EQ(Count(u"   ", u""), 1);
  EXPECT_EQ(Field(u"   ", u"", 1), u"");
  EXPECT_EQ(Count(u"a,", u""), 2);
  EXPECT_EQ(Field(u"a,", u"", 2), u"");
  EXPECT_EQ(Field(u"\"q\"ignored , b", u"", 1), u"q");  // after the closing quote: dropped
  EXPECT_EQ(Field(u"\"q\"ignored , b", u"", 2), u"b");
  EXPECT_EQ(Count(u"a, \"open, to the end", u""), 2);
  EXPECT_EQ(Field(u"a, \"open, to the end", u"", 2), u"open, to the end");
  EXPECT_EQ(Field(u"a b\"c , d", u"", 1), u"a b\"c");  // an inner quote is ordinary
  EXPECT_EQ(Field(u"\t a ,b", u"", 1), u"\t a");  // only blanks are skipped
}

TEST_F(TokensTest, AnyUnitOfASetSeparates) {
  EXPECT_EQ(CountAny(u"a;b,c", u",;"), 3);
  EXPECT_EQ(FieldAny(u"a;b,c", u",;", 2), u"b");
  EXPECT_EQ(FieldAny(u"a;b,c", u",;", -1), u"c");
  EXPECT_EQ(FieldAny(u"a;;c", u",;", 2), u"");
  EXPECT_EQ(CountAny(u";;", u";"), 3);
  EXPECT_EQ(CountAny(u"", u";"), 1);
  EXPECT_EQ(CountAny(u"a;b", u""), 1);
  for (int32_t n : {-5, 0, 1, 2, 99}) EXPECT_EQ(FieldAny(u"a;b", u"", n), u"a;b");
}

TEST_F(TokensTest, ByteTextFormsAndOwnership) {
  PushBytes("x=1&y=2");
  PushBytes("&");
  EXPECT_EQ(TokenCountBytes(), 2);
  PushBytes("x=1&y=2");
  PushBytes("&");
  TokenFieldBytes(-1);
  EXPECT_EQ(PopBytes(), "y=2");
  PushBytes("a b");
  PushBytes("");
  TokenFieldBytes(1);
  EXPECT_EQ(PopBytes(), "a b");
  PushBytes("1.2.3");
  PushBytes(".");
  EXPECT_EQ(TokenCountAnyBytes(), 3);
  PushBytes("1.2/3");
  PushBytes("./");
  TokenFieldAnyBytes(3);
  EXPECT_EQ(PopBytes(), "3");

  // The whole of an owned operand comes back as the same block; a borrowed one is copied.
  DynString owned = DynString::FromUnits(u"no delimiter here");
  const unsigned char* block = owned.data();
  PushOwned(std::move(owned));
  PushWide(u",");
  TokenField(1);
  EXPECT_EQ(frame_.operands().Slot(0)->data(), block);
  PopDiscard();
  static constexpr auto kWhole = WideText(u"whole");
  PushText(kWhole);
  PushWide(u",");
  TokenField(1);
  EXPECT_TRUE(frame_.operands().Slot(0)->owned());
  EXPECT_EQ(PopWide(), u"whole");
}

}  // namespace
}  // namespace qv
