#include <gtest/gtest.h>

#include <string>

#include "command_args.h"
#include "command_tail.h"
#include "frame.h"
#include "runtime_state.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

using testing::PopWide;

// Runs CommandTail against a command line of the test's choosing.
class CommandTailTest : public ::testing::Test {
 protected:
  ~CommandTailTest() override { Runtime().command_tail = saved_; }
  void UseCommandLine(std::u16string line) {
    line_ = std::move(line);
    Runtime().command_tail = LocateCommandTail(line_.c_str());
  }
  std::u16string Arg(int32_t n) {
    CommandTail(n);
    return PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }

  ProcedureFrame frame_;
  std::u16string line_;
  const char16_t* saved_ = Runtime().command_tail;
};

TEST_F(CommandTailTest, OptionsAfterEveryFormOfProgramName) {
  for (const char16_t* line : {u"prog.exe PORT=COM5 BAUD=9600", u"\"C:\\My Tools\\q.exe\" PORT=COM5 BAUD=9600",
                               u"\"q.exe\"PORT=COM5 BAUD=9600", u"  PORT=COM5 BAUD=9600"}) {
    UseCommandLine(line);
    EXPECT_EQ(Arg(0), u"PORT=COM5 BAUD=9600");
    EXPECT_EQ(Arg(1), u"PORT=COM5");
    EXPECT_EQ(Arg(2), u"BAUD=9600");
    EXPECT_EQ(Arg(3), u"");
    EXPECT_EQ(Arg(-1), u"");
  }
  UseCommandLine(u"prog.exe");
  EXPECT_EQ(Arg(0), u"");
  EXPECT_EQ(Arg(1), u"");
  UseCommandLine(u"prog.exe    ");
  EXPECT_EQ(Arg(0), u"");
  EXPECT_EQ(Arg(1), u"");
}

TEST_F(CommandTailTest, QuotedArguments) {
  UseCommandLine(u"p a \"\" b");
  EXPECT_EQ(Arg(0), u"a \"\" b");
  EXPECT_EQ(Arg(2), u"b");  // the empty quoted argument is not counted
  EXPECT_EQ(Arg(3), u"");

  UseCommandLine(u"p \"a b\"  c");
  EXPECT_EQ(Arg(1), u"a b");
  EXPECT_EQ(Arg(2), u"c");

  UseCommandLine(u"p \"a\"b\"c d\"");  // text right after a closing quote is the next argument
  EXPECT_EQ(Arg(1), u"a");
  EXPECT_EQ(Arg(2), u"b\"c");
  EXPECT_EQ(Arg(3), u"d\"");

  UseCommandLine(u"p x \"unclosed  rest");
  EXPECT_EQ(Arg(2), u"unclosed  rest");
  EXPECT_EQ(Arg(3), u"");

  UseCommandLine(u"p x \"");  // a lone quote at the end is an empty argument too
  EXPECT_EQ(Arg(1), u"x");
  EXPECT_EQ(Arg(2), u"");
}

TEST_F(CommandTailTest, OnlyTheBlankSeparates) {
  UseCommandLine(u"p a\tb  c\r\n");
  EXPECT_EQ(Arg(1), u"a\tb");
  EXPECT_EQ(Arg(2), u"c\r\n");
  EXPECT_EQ(CommandArgument(u"   ", 1), u"");
  EXPECT_EQ(CommandArgument(u"a b", INT32_MAX), u"");
  EXPECT_EQ(CommandArgument(u"a b", INT32_MIN), u"");
}

}  // namespace
}  // namespace qv
