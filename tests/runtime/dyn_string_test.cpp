#include <gtest/gtest.h>

#include "dyn_string.h"
#include "frame.h"
#include "error.h"
#include "text_literal.h"

namespace qv {
namespace {

TEST(DynStringBlock, LayoutHasLengthBeforeAndTwoZeroBytesAfter) {
  DynString s = DynString::FromBytes(std::string_view("ab\0c", 4));
  ASSERT_FALSE(s.empty());
  uint32_t length;
  std::memcpy(&length, s.data() - 4, 4);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(s.view(), std::string_view("ab\0c", 4));  // zero bytes are data, never terminators
  EXPECT_EQ(s.data()[4], 0);
  EXPECT_EQ(s.data()[5], 0);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(s.data()) & 1, 0u);  // even: bit 0 is free for the tag
}

TEST(DynStringBlock, EmptyIsNullAndCostsNoAllocation) {
  EXPECT_EQ(AllocateBytes(0), nullptr);
  EXPECT_EQ(AllocateUnits(0), nullptr);
  DynString s = DynString::FromBytes("");
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(s.data(), nullptr);
  EXPECT_EQ(BlockLength(nullptr), 0u);
}

TEST(DynStringBlock, RefusedAllocationRaisesSeven) {
  ProcedureFrame frame;
  EXPECT_EQ(TryAllocateUnits(0x80000000u), nullptr);  // beyond the 32-bit byte length
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(AllocateUnits(0x80000000u), nullptr);
  EXPECT_EQ(ErrorNumber(), kErrorOutOfMemory);
}

TEST(DynStringBlock, ResizeKeepsPrefixAndZeroFillsTheRest) {
  DynString s = DynString::FromBytes("abc");
  unsigned char* grown = ResizeBlock(s.Release().data(), 5);
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(std::string_view(reinterpret_cast<char*>(grown), 5), std::string_view("abc\0\0", 5));
  unsigned char* shrunk = ResizeBlock(grown, 2);
  EXPECT_EQ(BlockLength(shrunk), 2u);
  EXPECT_EQ(shrunk[0], 'a');
  EXPECT_EQ(ResizeBlock(shrunk, 0), nullptr);
}

TEST(DynStringVariable, CopiesNeverShareAndEqualLengthCopyReusesTheBlock) {
  DynString a = DynString::FromBytes("one");
  DynString b = DynString::FromBytes("two");
  const unsigned char* b_block = b.data();
  b = a;
  EXPECT_EQ(b.data(), b_block);  // same length: copied over in place
  EXPECT_EQ(b.view(), "one");
  EXPECT_NE(b.data(), a.data());
  DynString c = DynString::FromBytes("longer");
  c = a;
  EXPECT_EQ(c.view(), "one");
  c = DynString();
  EXPECT_TRUE(c.empty());
}

TEST(DynStringLiteral, LiteralsHaveBlockLayoutAndAreBorrowed) {
  static constexpr auto kPort = Text("PORT");
  static constexpr auto kWide = WideText(u"C\u00e9");
  TextRef ref = kPort;
  EXPECT_FALSE(ref.owned());
  EXPECT_EQ(ref.view(), "PORT");
  EXPECT_EQ(ref.data()[4], 0);
  TextRef wide = kWide;
  EXPECT_EQ(wide.units(), 2u);
  EXPECT_EQ(wide.wide_view(), u"C\u00e9");
  static constexpr auto kEmpty = Text("");
  EXPECT_EQ(kEmpty.ref().bytes(), 0u);
}

}  // namespace
}  // namespace qv
