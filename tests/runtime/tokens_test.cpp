#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "tokens.h"

namespace qv {
namespace {

class TokensTest : public ::testing::Test {
 protected:
  int32_t Count(std::u16string_view text, std::u16string_view delimiter, bool any = false) {
    testing::PushWide(text);
    testing::PushWide(delimiter);
    return any ? TokenCountAny() : TokenCount();
  }
  std::u16string Field(std::u16string_view text, std::u16string_view delimiter, int32_t n,
                       bool any = false) {
    testing::PushWide(text);
    testing::PushWide(delimiter);
    any ? TokenFieldAny(n) : TokenField(n);
    return testing::PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TokensTest, WholeStringDelimiterAndFieldNumbers) {
  EXPECT_EQ(Count(u"", u" "), 1);
  EXPECT_EQ(Count(u"A  B", u" "), 3);
  EXPECT_EQ(Field(u"A  B", u" ", 2), u"");
  EXPECT_EQ(Field(u"A  B", u" ", 3), u"B");
  EXPECT_EQ(Count(u"abab", u"ab"), 3);
  EXPECT_EQ(Field(u"abab", u"ab", 2), u"");
  EXPECT_EQ(Field(u"aaa", u"aa", 2), u"a");  // non-overlapping, left to right
  EXPECT_EQ(Field(u" \"x,y\" ", u",", 1), u" \"x");  // no quote handling, no trimming
  const std::pair<int32_t, const char16_t*> abc[] = {{-1, u"c"}, {-3, u"a"}, {-4, u""}, {0, u""},
                                                    {4, u""}, {INT32_MIN, u""}, {INT32_MAX, u""}};
  for (auto [n, field] : abc) EXPECT_EQ(Field(u"a,b,c", u",", n), field) << n;
  EXPECT_EQ(Field(u"a,b,", u",", -1), u"");
}

TEST_F(TokensTest, CommaModeWithAnEmptyDelimiter) {
  const std::u16string text = u" \"x,y\" , z ";
  EXPECT_EQ(Count(text, u""), 2);
  EXPECT_EQ(Field(text, u"", 1), u"x,y");
  EXPECT_EQ(Field(text, u"", 2), u"z");
  EXPECT_EQ(Field(text, u"", -2), u"x,y");
  EXPECT_EQ(Field(text, u"", 3), u"");
  EXPECT_EQ(Count(u"   ", u""), 1);
  EXPECT_EQ(Field(u"   ", u"", 1), u"");
  EXPECT_EQ(Field(u"a,", u"", 2), u"");
  EXPECT_EQ(Field(u"\"q\"ignored , b", u"", 1), u"q");  // after the closing quote: dropped
  EXPECT_EQ(Field(u"a, \"open, to the end", u"", 2), u"open, to the end");
  EXPECT_EQ(Count(u"a, \"open, to the end", u""), 2);
  EXPECT_EQ(Field(u"a b\"c , d", u"", 1), u"a b\"c");  // an inner quote is ordinary
  EXPECT_EQ(Field(u"\t a ,b", u"", 1), u"\t a");  // only blanks are skipped
}

TEST_F(TokensTest, AnyUnitOfASetSeparates) {
  EXPECT_EQ(Count(u"a;b,c", u",;", true), 3);
  EXPECT_EQ(Field(u"a;b,c", u",;", 2, true), u"b");
  EXPECT_EQ(Field(u"a;;c", u",;", -2, true), u"");
  EXPECT_EQ(Count(u"a;b", u"", true), 1);
  for (int32_t n : {-5, 0, 1, 2}) EXPECT_EQ(Field(u"a;b", u"", n, true), u"a;b");
}

TEST_F(TokensTest, ByteTextFormsAndOwnership) {
  testing::PushBytes("x=1&y=2");
  testing::PushBytes("&");
  TokenFieldBytes(-1);
  EXPECT_EQ(testing::PopBytes(), "y=2");
  testing::PushBytes("1.2/3");
  testing::PushBytes("./");
  EXPECT_EQ(TokenCountAnyBytes(), 3);

  // The whole of an owned operand comes back as the same block; a borrowed one is copied.
  DynString owned = DynString::FromUnits(u"no delimiter here");
  const unsigned char* block = owned.data();
  PushOwned(std::move(owned));
  testing::PushWide(u",");
  TokenField(1);
  EXPECT_EQ(frame_.operands().Slot(0)->data(), block);
  PopDiscard();
  static constexpr auto kWhole = WideText(u"whole");
  PushText(kWhole);
  testing::PushWide(u",");
  TokenField(1);
  EXPECT_TRUE(frame_.operands().Slot(0)->owned());
  PopDiscard();
}

}  // namespace
}  // namespace qv
