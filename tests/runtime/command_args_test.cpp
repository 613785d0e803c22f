#include <gtest/gtest.h>

#include <string>

#include "command_args.h"
#include "command_tail.h"
#include "frame.h"
#include "runtime_state.h"
#include "text_operand_helpers.h"

namespace qv {
namespace {

// CommandTail over a command line of the test's choosing.
class CommandTailTest : public ::testing::Test {
 protected:
  ~CommandTailTest() override { Runtime().command_tail = saved_; }
  std::u16string Arg(const char16_t* line, int32_t n) {
    Runtime().command_tail = LocateCommandTail(line);
    CommandTail(n);
    return testing::PopWide();
  }
  void TearDown() override { EXPECT_EQ(frame_.operands().depth(), 0); }
  ProcedureFrame frame_;
  const char16_t* saved_ = Runtime().command_tail;
};

TEST_F(CommandTailTest, OptionsAfterEveryFormOfProgramName) {
  for (const char16_t* line : {u"prog.exe PORT=COM5 BAUD=9600", u"\"C:\\My Tools\\q.exe\" PORT=COM5 BAUD=9600",
                               u"\"q.exe\"PORT=COM5 BAUD=9600", u"  PORT=COM5 BAUD=9600"}) {
    EXPECT_EQ(Arg(line, 0), u"PORT=COM5 BAUD=9600");
    EXPECT_EQ(Arg(line, 2), u"BAUD=9600");
    EXPECT_EQ(Arg(line, 3), u"");
    EXPECT_EQ(Arg(line, -1), u"");
  }
  for (const char16_t* line : {u"prog.exe", u"prog.exe    "}) {
    EXPECT_EQ(Arg(line, 0), u"");
    EXPECT_EQ(Arg(line, 1), u"");
  }
}

TEST_F(CommandTailTest, QuotedArguments) {
  EXPECT_EQ(Arg(u"p a \"\" b", 2), u"b");  // the empty quoted argument is not counted
  EXPECT_EQ(Arg(u"p \"a b\"  c", 1), u"a b");
  const char16_t* glued = u"p \"a\"b\"c d\"";  // text right after a closing quote is the next argument
  EXPECT_EQ(Arg(glued, 1), u"a");
  EXPECT_EQ(Arg(glued, 2), u"b\"c");
  EXPECT_EQ(Arg(glued, 3), u"d\"");
  EXPECT_EQ(Arg(u"p x \"unclosed  rest", 2), u"unclosed  rest");
  EXPECT_EQ(Arg(u"p x \"", 2), u"");  // a lone closing quote is an empty argument too
  EXPECT_EQ(Arg(u"p a\tb  c\r\n", 1), u"a\tb");  // only the blank separates
  EXPECT_EQ(CommandArgument(u"a b", INT32_MAX), u"");
}

}  // namespace
}  // namespace qv
