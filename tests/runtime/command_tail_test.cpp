#include <gtest/gtest.h>

#include <string>

#include "command_tail.h"

namespace qv {
namespace {

std::u16string Tail(const char16_t* line) { return LocateCommandTail(line); }

TEST(CommandTail, EveryProgramNameFormIsSkipped) {
  EXPECT_EQ(Tail(u"prog.exe PORT=COM5 BAUD=9600"), u"PORT=COM5 BAUD=9600");
  EXPECT_EQ(Tail(u"\"C:\\Program Files\\q.exe\"   PORT=COM5"), u"PORT=COM5");
  EXPECT_EQ(Tail(u"   PORT=COM5"), u"PORT=COM5");
  EXPECT_EQ(Tail(u"prog.exe"), u"");
  EXPECT_EQ(Tail(u"prog.exe    "), u"");
  EXPECT_EQ(Tail(u""), u"");
  EXPECT_EQ(Tail(nullptr), u"");
}

TEST(CommandTail, QuotesAndControlCharactersDecideWhereTheTailStarts) {
  EXPECT_EQ(Tail(u"\"q.exe\"PORT=1"), u"PORT=1");  // text right after the quote is tail
  EXPECT_EQ(Tail(u"\"unclosed name"), u"");
  EXPECT_EQ(Tail(u"prog.exe\tPORT=1"), u"\tPORT=1");  // stops at the control character
  EXPECT_EQ(Tail(u"prog.exe  a \"\" b "), u"a \"\" b ");
}

}  // namespace
}  // namespace qv
