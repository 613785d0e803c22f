#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "text_case.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "trims.h"

namespace qv {
namespace {

using testing::PopBytes;
using testing::PopWide;
using testing::PushBytes;
using testing::PushWide;

class TrimsAndCase : public ::testing::Test {
 protected:
  std::string Trim(void (*trim)(), std::string_view text) {
    PushBytes(text);
    trim();
    return PopBytes();
  }
  std::string TrimBy(void (*trim)(), std::string_view text, std::string_view by) {
    PushBytes(text);
    PushBytes(by);
    trim();
    return PopBytes();
  }
  std::u16string Map(void (*op)(), std::u16string_view text) {
    PushWide(text);
    op();
    return PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TrimsAndCase, BlanksOnlyAreTrimmed) {
  EXPECT_EQ(Trim(TrimLeadingSpaces, " \tX"), "\tX");
  EXPECT_EQ(Trim(TrimLeadingSpaces, "   PORT  "), "PORT  ");
  EXPECT_EQ(Trim(TrimTrailingSpaces, "   PORT  "), "   PORT");
  EXPECT_EQ(Trim(TrimTrailingSpaces, "X\t "), "X\t");
  EXPECT_EQ(Trim(TrimLeadingSpaces, "    "), "");
  EXPECT_EQ(Trim(TrimTrailingSpaces, "    "), "");
  EXPECT_EQ(Trim(TrimLeadingSpaces, ""), "");
  PushWide(u"  \u00e9 ");
  TrimLeadingSpacesWide();
  TrimTrailingSpacesWide();
  EXPECT_EQ(PopWide(), u"\u00e9");
}

TEST_F(TrimsAndCase, AnUntouchedOperandComesBackAsItCame) {
  static constexpr auto kPort = Text("PORT");
  PushText(kPort);
  TrimLeadingSpaces();
  TextRef top = *frame_.operands().Slot(0);
  EXPECT_FALSE(top.owned());
  EXPECT_EQ(top.data(), kPort.ref().data());
  TrimTrailingSpaces();
  EXPECT_EQ(frame_.operands().Slot(0)->data(), kPort.ref().data());
  PopDiscard();
}

TEST_F(TrimsAndCase, PatternAndSetTrims) {
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ababX", "ab"), "X");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "abab", "ab"), "");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "aabX", "ab"), "aabX");
  EXPECT_EQ(TrimBy(TrimTrailingPattern, "X--- ", "--"), "X--- ");
  EXPECT_EQ(TrimBy(TrimTrailingPattern, "X-----", "--"), "X-");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ab", "abc"), "ab");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ab", ""), "ab");
  EXPECT_EQ(TrimBy(TrimTrailingPattern, "", "a"), "");
  EXPECT_EQ(TrimBy(TrimLeadingSet, "\t \r\nX \t", " \t\r\n"), "X \t");
  EXPECT_EQ(TrimBy(TrimTrailingSet, "\t \r\nX \t", " \t\r\n"), "\t \r\nX");
  EXPECT_EQ(TrimBy(TrimTrailingSet, "abc", ""), "abc");
  EXPECT_EQ(TrimBy(TrimLeadingSet, "aaa", "a"), "");
  PushWide(u"xyxyZ");
  PushWide(u"xy");
  TrimLeadingPatternWide();
  EXPECT_EQ(PopWide(), u"Z");
  PushWide(u"Z..");
  PushWide(u".");
  TrimTrailingSetWide();
  EXPECT_EQ(PopWide(), u"Z");
}

TEST_F(TrimsAndCase, CaseMappingKeepsTheLength) {
  EXPECT_EQ(Map(UpperCase, u"port=com5"), u"PORT=COM5");
  EXPECT_EQ(Map(UpperCase, u"baud=9600"), u"BAUD=9600");
  EXPECT_EQ(Map(LowerCase, u"PORT=COM5"), u"port=com5");
  EXPECT_EQ(Map(UpperCase, u"\u00e9t\u00e9"), u"\u00c9T\u00c9");
  EXPECT_EQ(Map(UpperCase, u""), u"");
  EXPECT_EQ(Map(UpperCase, u"\u00df"), u"\u00df");  // no mapping that would lengthen the text
  EXPECT_EQ(Map(CapitalizeWords, u"hello wORLD, 3rd-time"), u"Hello World, 3Rd-Time");
  EXPECT_EQ(Map(CapitalizeWords, u"  \u00e9cole"), u"  \u00c9cole");

  // An owned operand is mapped where it is; a borrowed one is copied first.
  DynString owned = DynString::FromUnits(u"com3");
  const unsigned char* block = owned.data();
  PushOwned(std::move(owned));
  UpperCase();
  EXPECT_EQ(frame_.operands().Slot(0)->data(), block);
  EXPECT_EQ(PopWide(), u"COM3");
  static constexpr auto kCom = WideText(u"com");
  PushText(kCom);
  UpperCase();
  EXPECT_TRUE(frame_.operands().Slot(0)->owned());
  EXPECT_EQ(PopWide(), u"COM");
  EXPECT_EQ(kCom.ref().wide_view(), u"com");
}

}  // namespace
}  // namespace qv
