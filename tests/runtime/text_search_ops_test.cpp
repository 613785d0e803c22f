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

struct Case {
  int32_t start;
  const char* text;
  const char* needle;
  int32_t found;
};

class TextSearchOps : public ::testing::Test {
 protected:
  int32_t Find(int32_t (*op)(int32_t), int32_t start, std::string_view text, std::string_view needle) {
    testing::PushBytes(text);
    testing::PushBytes(needle);
    return op(start);
  }
  std::string After(void (*op)(int32_t), int32_t start, std::string_view text, std::string_view needle) {
    testing::PushBytes(text);
    testing::PushBytes(needle);
    op(start);
    return testing::PopBytes();
  }
  int32_t Compare(std::u16string_view a, std::u16string_view b) {
    testing::PushWide(a);
    testing::PushWide(b);
    return CompareText();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TextSearchOps, FindTextForwardBackwardAndEmptyNeedles) {
  const Case cases[] = {
      {1, "BAUD=9600", "BAUD", 1}, {1, "XPORTY=1", "PORT", 2}, {3, "XPORTY=1", "PORT", 0},
      {0, "abc", "a", 0}, {4, "abc", "c", 0}, {1, "abc", "abcd", 0}, {1, "", "a", 0},
      {2, "aaa", "aa", 2}, {-1, "abcabc", "bc", 5}, {-2, "abcabc", "bc", 2}, {-6, "abcabc", "ab", 0},
      {-5, "abcabc", "ab", 1}, {INT32_MIN, "abc", "a", 0}, {INT32_MAX, "abc", "a", 0},
      {7, "abc", "", 7}, {-1, "abc", "", 3}, {-3, "abc", "", 1}, {-4, "abc", "", 0}, {1, "", "", 0}};
  for (const Case& c : cases)
    EXPECT_EQ(Find(FindText, c.start, c.text, c.needle), c.found) << c.start << " " << c.text << " " << c.needle;
  EXPECT_EQ(Find(FindText, 1, std::string("a\0b", 3), std::string("\0b", 2)), 2);
}

TEST_F(TextSearchOps, FindAnyCharAndWideForms) {
  const Case cases[] = {{1, "a,b;c", ";,", 2}, {3, "a,b;c", ";,", 4}, {5, "a,b;c", ";,", 0},
                        {-1, "a,b;c", ";,", 4}, {-3, "a,b;c", ";,", 2}, {-5, "a,b;c", ";,", 0},
                        {4, "abc", "", 4}};
  for (const Case& c : cases) EXPECT_EQ(Find(FindAnyChar, c.start, c.text, c.needle), c.found) << c.start;
  testing::PushWide(u"\u00e9t\u00e9");
  testing::PushWide(u"t\u00e9");
  EXPECT_EQ(FindTextWide(-1), 2);
  testing::PushWide(u"x\u20ACy");
  testing::PushWide(u"\u20AC");
  EXPECT_EQ(FindAnyCharWide(1), 2);
}

TEST_F(TextSearchOps, TextAfterTheFirstOccurrence) {
  const std::tuple<int32_t, const char*, const char*, const char*> cases[] = {
      {1, "PORT", "=", ""}, {1, "PORT=", "=", ""}, {1, "A=B=C", "=", "B=C"},
      {1, "PORT=COM5=X", "=", "COM5=X"}, {-2, "A=B=C", "=", "C"}, {-5, "A=B=C", "=", "B=C"},
      {-6, "A=B=C", "=", ""}, {0, "A=B", "=", ""}, {4, "A=B", "=", ""}, {1, "A=B", "", ""},
      {1, "BAUD==9600", "==", "9600"}};
  for (auto [start, text, needle, after] : cases) EXPECT_EQ(After(TextAfter, start, text, needle), after);
  EXPECT_EQ(After(TextAfterAny, 1, "key:=value", "=:"), "=value");
  testing::PushWide(u"PORT=COM5");
  testing::PushWide(u"=");
  TextAfterWide(1);
  EXPECT_EQ(testing::PopWide(), u"COM5");
}

TEST_F(TextSearchOps, CompareAndCount) {
  EXPECT_EQ(Compare(u"ab", u"abc"), -1);
  EXPECT_EQ(Compare(u"B", u"a"), -1);  // no case folding
  EXPECT_EQ(Compare(u"abc", u"abc"), 0);
  EXPECT_EQ(Compare(u"b", u"abc"), 1);
  EXPECT_EQ(Compare(u"", u""), 0);
  EXPECT_EQ(Compare(u"\uFFFF", u"\u0100"), 1);  // units are unsigned
  testing::PushBytes("\xFF");
  testing::PushBytes("a");
  EXPECT_EQ(CompareTextBytes(), 1);

  testing::PushWide(u"aaaa");
  testing::PushWide(u"aa");
  EXPECT_EQ(CountOccurrences(), 2);
  testing::PushWide(u"aaaa");
  testing::PushWide(u"");
  EXPECT_EQ(CountOccurrences(), 0);
  testing::PushBytes("a,b;c,");
  testing::PushBytes(",;");
  EXPECT_EQ(CountOccurrencesAnyBytes(), 3);
}

}  // namespace
}  // namespace qv
