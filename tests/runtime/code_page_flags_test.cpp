#include <gtest/gtest.h>

#include <string>

#include "code_page_flags.h"
#include "frame.h"
#include "string_ops.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

uint32_t Utf8System(uint32_t) { return 65001; }
uint32_t NeverAsked(uint32_t) {
  ADD_FAILURE() << "a real code page needs no system answer";
  return 0;
}

TEST(CodePageFlags, CodePagesThatRefuseFlagsGetNone) {
  for (uint32_t cp : {42u, 65000u, 65001u, 50220u, 50221u, 50222u, 50225u, 50227u, 50229u, 52936u,
                      54936u, 57002u, 57006u, 57011u}) {
    EXPECT_TRUE(CodePageRefusesFlags(cp)) << cp;
    EXPECT_EQ(BytesToWideFlags(cp), 0u) << cp;
    EXPECT_EQ(WideToBytesFlags(cp), 0u) << cp;
  }
  for (uint32_t cp : {1252u, 437u, 850u, 932u, 936u, 949u, 950u, 1250u, 20127u, 28591u, 57001u,
                      57012u, 50219u, 50230u, 65002u}) {
    EXPECT_FALSE(CodePageRefusesFlags(cp)) << cp;
    EXPECT_EQ(BytesToWideFlags(cp), kPrecomposed) << cp;
    EXPECT_EQ(WideToBytesFlags(cp), 0u) << cp;
  }
}

TEST(CodePageFlags, SymbolicCodePagesAreJudgedByWhatTheyStandFor) {
  // A system whose ANSI code page is UTF-8 must not get the precomposed flag for code page 0.
  for (uint32_t symbolic = 0; symbolic <= kLastSymbolicCodePage; ++symbolic) {
    EXPECT_EQ(CodePageResolve(symbolic, Utf8System), 65001u);
    EXPECT_EQ(BytesToWideFlags(CodePageResolve(symbolic, Utf8System)), 0u);
  }
  EXPECT_EQ(CodePageResolve(1252, NeverAsked), 1252u);
  EXPECT_EQ(CodePageResolve(42, NeverAsked), 42u);
}

#if defined(_WIN32)
// On the platform: a thread code page that refuses flags still converts. (Wine takes the
// precomposed flag for UTF-8 but refuses it for UTF-7 and Symbol; it has no converter for the
// ISO-2022 pages or GB 18030 at all, so those are not tried here.)
TEST(CodePageFlags, TextConvertsWithEveryKindOfCodePage) {
  ProcedureFrame frame;
  struct Case {
    uint32_t code_page;
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {0, "COM3", u"COM3"},
      {1252, "\xE9", u"\u00e9"},
      {65001, "\xC3\xA9", u"\u00e9"},
      {65000, "+AOk-", u"\u00e9"},
      {42, "A", u"\xF041"},
  };
  for (const Case& c : cases) {
    const uint32_t previous = CodePageSet(c.code_page);
    testing::PushBytes(c.bytes);
    ToWide();
    EXPECT_EQ(testing::PopWide(), c.units) << c.code_page;
    testing::PushWide(c.units);
    ToAnsi();
    EXPECT_EQ(testing::PopBytes(), c.bytes) << c.code_page;
    CodePageSet(previous);
  }
}
#endif

}  // namespace
}  // namespace qv
