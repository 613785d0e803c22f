#include <gtest/gtest.h>

#include <string>

#include "compare_text.h"
#include "count_occurrences.h"
#include "find_text.h"
#include "frame.h"
#include "text_after.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

using testing::PopBytes;
using testing::PopWide;
using testing::PushBytes;
using testing::PushWide;

class TextSearchOps : public ::testing::Test {
 protected:
  int32_t Find(int32_t start, std::string_view text, std::string_view needle) {
    PushBytes(text);
    PushBytes(needle);
    return FindText(start);
  }
  int32_t FindAny(int32_t start, std::string_view text, std::string_view set) {
    PushBytes(text);
    PushBytes(set);
    return FindAnyChar(start);
  }
  std::string After(int32_t start, std::string_view text, std::string_view needle) {
    PushBytes(text);
    PushBytes(needle);
    TextAfter(start);
    return PopBytes();
  }
  std::string AfterAny(int32_t start, std::string_view text, std::string_view set) {
    PushBytes(text);
    PushBytes(set);
    TextAfterAny(start);
    return PopBytes();
  }
  int32_t Compare(std::u16string_view a, std::u16string_view b) {
    PushWide(a);
    PushWide(b);
    return CompareText();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TextSearchOps, FindTextForwardAndBackward) {
  EXPECT_EQ(Find(1, "BAUD=9600", "BAUD"), 1);
  EXPECT_EQ(Find(1, "XPORTY=1", "PORT"), 2);
  EXPECT_EQ(Find(3, "XPORTY=1", "PORT"), 0);
  EXPECT_EQ(Find(0, "abc", "a"), 0);
  EXPECT_EQ(Find(4, "abc", "c"), 0);
  EXPECT_EQ(Find(1, "abc", "abcd"), 0);
  EXPECT_EQ(Find(1, "", "a"), 0);
  EXPECT_EQ(Find(1, "aaa", "aa"), 1);
  EXPECT_EQ(Find(2, "aaa", "aa"), 2);
  EXPECT_EQ(Find(-1, "abcabc", "bc"), 5);
  EXPECT_EQ(Find(-2, "abcabc", "bc"), 2);  // must end at or before position 5
  EXPECT_EQ(Find(-6, "abcabc", "ab"), 0);
  EXPECT_EQ(Find(-5, "abcabc", "ab"), 1);
  EXPECT_EQ(Find(-7, "abcabc", "a"), 0);
  EXPECT_EQ(Find(INT32_MIN, "abc", "a"), 0);
  EXPECT_EQ(Find(INT32_MAX, "abc", "a"), 0);
  EXPECT_EQ(Find(1, std::string("a\0b", 3), std::string("\0b", 2)), 2);
}

TEST_F(TextSearchOps, FindTextWithAnEmptyNeedle) {
  EXPECT_EQ(Find(7, "abc", ""), 7);
  EXPECT_EQ(Find(2, "abc", ""), 2);
  EXPECT_EQ(Find(-1, "abc", ""), 3);
  EXPECT_EQ(Find(-3, "abc", ""), 1);
  EXPECT_EQ(Find(-4, "abc", ""), 0);
  EXPECT_EQ(Find(-5, "abc", ""), 0);
  EXPECT_EQ(Find(1, "", ""), 0);
}

TEST_F(TextSearchOps, FindAnyCharAndWideForms) {
  EXPECT_EQ(FindAny(1, "a,b;c", ";,"), 2);
  EXPECT_EQ(FindAny(3, "a,b;c", ";,"), 4);
  EXPECT_EQ(FindAny(5, "a,b;c", ";,"), 0);
  EXPECT_EQ(FindAny(-1, "a,b;c", ";,"), 4);
  EXPECT_EQ(FindAny(-3, "a,b;c", ";,"), 2);
  EXPECT_EQ(FindAny(-5, "a,b;c", ";,"), 0);
  EXPECT_EQ(FindAny(4, "abc", ""), 4);
  PushWide(u"\u00e9t\u00e9");
  PushWide(u"t\u00e9");
  EXPECT_EQ(FindTextWide(-1), 2);
  PushWide(u"x\u20ACy");
  PushWide(u"\u20AC");
  EXPECT_EQ(FindAnyCharWide(1), 2);
}

TEST_F(TextSearchOps, TextAfterTheFirstOccurrence) {
  EXPECT_EQ(After(1, "PORT", "="), "");
  EXPECT_EQ(After(1, "PORT=", "="), "");
  EXPECT_EQ(After(1, "A=B=C", "="), "B=C");
  EXPECT_EQ(After(1, "PORT=COM5=X", "="), "COM5=X");
  EXPECT_EQ(After(3, "A=B=C", "="), "C");
  EXPECT_EQ(After(-1, "A=B=C", "="), "");
  EXPECT_EQ(After(-2, "A=B=C", "="), "C");  // searched forward from position 4
  EXPECT_EQ(After(-5, "A=B=C", "="), "B=C");
  EXPECT_EQ(After(-6, "A=B=C", "="), "");
  EXPECT_EQ(After(0, "A=B", "="), "");
  EXPECT_EQ(After(4, "A=B", "="), "");
  EXPECT_EQ(After(1, "A=B", ""), "");
  EXPECT_EQ(After(1, "", "="), "");
  EXPECT_EQ(After(1, "BAUD==9600", "=="), "9600");
  EXPECT_EQ(AfterAny(1, "key:=value", "=:"), "=value");
  EXPECT_EQ(AfterAny(1, "key", "=:"), "");
  PushWide(u"PORT=COM5");
  PushWide(u"=");
  TextAfterWide(1);
  EXPECT_EQ(PopWide(), u"COM5");
  PushWide(u"a;b");
  PushWide(u";,");
  TextAfterAnyWide(1);
  EXPECT_EQ(PopWide(), u"b");
}

TEST_F(TextSearchOps, CompareTextByUnitsThenLength) {
  EXPECT_LT(Compare(u"ab", u"abc"), 0);
  EXPECT_LT(Compare(u"B", u"a"), 0);  // no case folding
  EXPECT_EQ(Compare(u"abc", u"abc"), 0);
  EXPECT_GT(Compare(u"b", u"abc"), 0);
  EXPECT_EQ(Compare(u"", u""), 0);
  EXPECT_LT(Compare(u"", u"a"), 0);
  EXPECT_GT(Compare(u"\uFFFF", u"\u0100"), 0);  // units are unsigned
  EXPECT_EQ(Compare(u"x", u"x"), 0);
  EXPECT_EQ(Compare(u"a", u"b"), -1);
  EXPECT_EQ(Compare(u"b", u"a"), 1);
  PushBytes("\xFF");
  PushBytes("a");
  EXPECT_EQ(CompareTextBytes(), 1);
}

TEST_F(TextSearchOps, CountOccurrencesNonOverlapping) {
  PushWide(u"aaaa");
  PushWide(u"aa");
  EXPECT_EQ(CountOccurrences(), 2);
  PushWide(u"aaaa");
  PushWide(u"");
  EXPECT_EQ(CountOccurrences(), 0);
  PushWide(u"");
  PushWide(u"a");
  EXPECT_EQ(CountOccurrences(), 0);
  PushWide(u"a,b;c,");
  PushWide(u",;");
  EXPECT_EQ(CountOccurrencesAny(), 3);
  PushBytes("PORT=1 PORT=2");
  PushBytes("PORT");
  EXPECT_EQ(CountOccurrencesBytes(), 2);
  PushBytes("1.2.3");
  PushBytes(".");
  EXPECT_EQ(CountOccurrencesAnyBytes(), 2);
}

}  // namespace
}  // namespace qv
