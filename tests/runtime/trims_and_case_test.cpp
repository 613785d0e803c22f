#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "text_case.h"
#include "text_literal.h"
#include "text_operand_helpers.h"
#include "trims.h"

namespace qv {
namespace {

class TrimsAndCase : public ::testing::Test {
 protected:
  std::string Trim(void (*trim)(), std::string_view text) {
    testing::PushBytes(text);
    trim();
    return testing::PopBytes();
  }
  std::string TrimBy(void (*trim)(), std::string_view text, std::string_view by) {
    testing::PushBytes(text);
    testing::PushBytes(by);
    trim();
    return testing::PopBytes();
  }
  std::u16string Map(void (*op)(), std::u16string_view text) {
    testing::PushWide(text);
    op();
    return testing::PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
};

TEST_F(TrimsAndCase, BlanksOnlyAreTrimmedAndAnUntouchedOperandComesBackAsItCame) {
  EXPECT_EQ(Trim(TrimLeadingSpaces, " \tX"), "\tX");
  EXPECT_EQ(Trim(TrimTrailingSpaces, "   PORT  "), "   PORT");
  EXPECT_EQ(Trim(TrimLeadingSpaces, "    "), "");
  EXPECT_EQ(Trim(TrimTrailingSpaces, ""), "");
  static constexpr auto kPort = Text("PORT");
  PushText(kPort);
  TrimLeadingSpaces();
  TrimTrailingSpaces();
  EXPECT_EQ(frame_.operands().Slot(0)->data(), kPort.ref().data());
  EXPECT_FALSE(frame_.operands().Slot(0)->owned());
  PopDiscard();
}

TEST_F(TrimsAndCase, PatternAndSetTrims) {
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ababX", "ab"), "X");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "abab", "ab"), "");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "aabX", "ab"), "aabX");
  EXPECT_EQ(TrimBy(TrimTrailingPattern, "X-----", "--"), "X-");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ab", "abc"), "ab");
  EXPECT_EQ(TrimBy(TrimLeadingPattern, "ab", ""), "ab");
  EXPECT_EQ(TrimBy(TrimLeadingSet, "\t \r\nX \t", " \t\r\n"), "X \t");
  EXPECT_EQ(TrimBy(TrimTrailingSet, "\t \r\nX \t", " \t\r\n"), "\t \r\nX");
  EXPECT_EQ(TrimBy(TrimTrailingSet, "abc", ""), "abc");
  testing::PushWide(u" xyxyZ");
  TrimLeadingSpacesWide();
  testing::PushWide(u"xy");
  TrimLeadingPatternWide();
  EXPECT_EQ(testing::PopWide(), u"Z");
}

TEST_F(TrimsAndCase, CaseMappingKeepsTheLength) {
  EXPECT_EQ(Map(UpperCase, u"port=com5"), u"PORT=COM5");
  EXPECT_EQ(Map(LowerCase, u"BAUD=9600"), u"baud=9600");
  EXPECT_EQ(Map(UpperCase, u"\u00e9t\u00e9\u00df"), u"\u00c9T\u00c9\u00df");  // never lengthens
  EXPECT_EQ(Map(CapitalizeWords, u"hello wORLD, 3rd-time \u00e9cole"), u"Hello World, 3Rd-Time \u00c9cole");
  EXPECT_EQ(Map(UpperCase, u""), u"");

  // An owned operand is mapped where it is; a borrowed one is copied first.
  DynString owned = DynString::FromUnits(u"com3");
  const unsigned char* block = owned.data();
  PushOwned(std::move(owned));
  UpperCase();
  EXPECT_EQ(frame_.operands().Slot(0)->data(), block);
  PopDiscard();
  static constexpr auto kCom = WideText(u"com");
  PushText(kCom);
  UpperCase();
  EXPECT_EQ(testing::PopWide(), u"COM");
  EXPECT_EQ(kCom.ref().wide_view(), u"com");
}

}  // namespace
}  // namespace qv
