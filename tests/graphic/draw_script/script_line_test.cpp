#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "script_line.h"
#include "script_output.h"
#include "user_space.h"

namespace qv::script {
namespace {

Line Parsed(std::string_view text) {
  ParseResult r = ParseLine(text);
  EXPECT_EQ(r.error, "") << text;
  EXPECT_TRUE(r.line.has_value()) << text;
  return r.line.value_or(Line{});
}

std::string ErrorOf(std::string_view text) {
  ParseResult r = ParseLine(text);
  EXPECT_FALSE(r.line.has_value()) << text;
  return r.error;
}

TEST(ScriptLine, NumbersInEveryForm) {
  Line line = Parsed("SurfaceBox 10 -7 2.5 1e2 &H80000000 0xFF &hff00 -0.75\r");
  EXPECT_EQ(line.name, "SurfaceBox");
  ASSERT_EQ(line.args.size(), 8u);
  EXPECT_EQ(line.args[0].integer, 10);
  EXPECT_TRUE(line.args[0].whole);
  EXPECT_EQ(line.args[1].integer, -7);
  EXPECT_FALSE(line.args[2].whole);
  EXPECT_EQ(line.args[2].number, 2.5L);
  EXPECT_TRUE(line.args[3].whole);
  EXPECT_EQ(line.args[3].integer, 100);
  EXPECT_EQ(line.args[4].integer, static_cast<int32_t>(0x80000000));  // a pattern, not a range error
  EXPECT_EQ(line.args[5].integer, 255);
  EXPECT_EQ(line.args[6].integer, 0xFF00);
  EXPECT_EQ(line.args[7].number, -0.75L);
  // Whole but beyond 32 bits: a number, not an integer.
  Line big = Parsed("SurfaceScale 3000000000 -2147483648");
  EXPECT_FALSE(big.args[0].whole);
  EXPECT_TRUE(big.args[1].whole);
  EXPECT_EQ(big.args[1].integer, INT32_MIN);
}

TEST(ScriptLine, TextsPointsAndComments) {
  Line line = Parsed("save   \"out dir/pic ture.bmp\"");
  ASSERT_EQ(line.args.size(), 1u);
  EXPECT_EQ(line.args[0].kind, Value::Kind::kText);
  EXPECT_EQ(line.args[0].text, "out dir/pic ture.bmp");
  line = Parsed("SurfacePolygon [10,10 50,10  30, 40] 255 -1 0 0");
  ASSERT_EQ(line.args.size(), 5u);
  EXPECT_EQ(line.args[0].points, (std::vector<float>{10, 10, 50, 10, 30, 40}));
  std::string block = PointBlock(line.args[0].points);
  ASSERT_EQ(block.size(), 4u + 6 * 4);
  uint32_t count;
  std::memcpy(&count, block.data(), 4);
  EXPECT_EQ(count, 3u);
  line = Parsed("SurfacePolyline [1e39,0 0,0] 1");
  EXPECT_TRUE(std::isinf(line.args[0].points[0]));  // beyond float32: infinity, not garbage
  EXPECT_TRUE(Parsed("SurfacePolygon [] 1 2 3 4").args[0].points.empty());
  line = Parsed("SurfaceCopy tile_2 7 as Big");
  ASSERT_EQ(line.args.size(), 4u);
  EXPECT_EQ(line.args[0].kind, Value::Kind::kName);
  EXPECT_EQ(line.args[0].text, "tile_2");
  EXPECT_EQ(line.args[1].kind, Value::Kind::kNumber);
  EXPECT_EQ(line.args[2].text, "as");
  EXPECT_EQ(line.args[3].text, "Big");
  for (const char* quiet : {"", "   ", "# a comment", "  ' another"}) {
    ParseResult r = ParseLine(quiet);
    EXPECT_FALSE(r.line.has_value()) << quiet;
    EXPECT_EQ(r.error, "") << quiet;
  }
}

TEST(ScriptLine, MalformedLinesSayWhy) {
  EXPECT_NE(ErrorOf("SurfaceBox 1 2x 3"), "");
  EXPECT_NE(ErrorOf("SurfaceBox inf 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox nan 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox 1e99999 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox &H123456789 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox 0x 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox . 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox 1e 1"), "");
  EXPECT_NE(ErrorOf("save \"unclosed"), "");
  EXPECT_NE(ErrorOf("save \"a\"\"b\""), "");
  EXPECT_NE(ErrorOf("SurfacePolygon [1,2 3"), "");
  EXPECT_NE(ErrorOf("SurfacePolygon [1,2 3] 0"), "");
  EXPECT_NE(ErrorOf("SurfacePolygon [1,2 a,4] 0"), "");
  EXPECT_NE(ErrorOf("42 SurfaceBox"), "");
  EXPECT_NE(ErrorOf("Surface-Box 1"), "");
  EXPECT_NE(ErrorOf("SurfaceBox\"x\""), "");
  EXPECT_NE(ErrorOf("SurfaceBox Infinity 1"), "");
  EXPECT_NE(ErrorOf("SurfaceCopy 2tile 0"), "");
  EXPECT_NE(ErrorOf("SurfaceCopy ti-le 0"), "");
}

TEST(ScriptOutput, PrintedValuesReadBackAsScriptValues) {
  EXPECT_EQ(ColourText(0x0000FF), "&H0000FF");
  EXPECT_EQ(ColourText(0x00FFFFFF), "&HFFFFFF");
  EXPECT_EQ(ColourText(-1), "-1");
  EXPECT_EQ(ColourText(0x7F000000), "&H7F000000");
  for (float v : {0.0f, 2.0f, 0.1f, -7.25f, 1e20f, 3.4028235e38f}) {
    std::string text = NumberText(v);
    Line line = Parsed("SurfaceScale " + text);
    EXPECT_EQ(ToFloat32(line.args[0].number), v) << text;
  }
  EXPECT_EQ(NumberText(2.0f), "2");
  EXPECT_EQ(QuotedText(u"plain"), "\"plain\"");
  EXPECT_EQ(QuotedText(std::u16string(u"\0D", 2)), "\"\\u0000D\"");  // a function key
  EXPECT_EQ(QuotedText(u"a\"b\\c\r"), "\"a\\u0022b\\u005Cc\\u000D\"");
  EXPECT_EQ(QuotedText(u"\u00e9\u20ac\U0001F600"), "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"");
  EXPECT_EQ(QuotedText(std::u16string(1, u'\xD800') + u"x"), "\"\\uD800x\"");  // a lone surrogate
}

// Every text the runner prints reads back as the same units; bytes that are no UTF-8 read as
// U+FFFD each, and a backslash is itself unless it starts \uXXXX.
TEST(ScriptOutput, PrintedTextsReadBackAsTheSameUnits) {
  const std::u16string texts[] = {
      std::u16string(u"\0D", 2), u"a\"b\\c\r\n\t", u"\u00e9\u20ac\U0001F600",
      std::u16string(1, u'\xD800') + u"x" + std::u16string(1, u'\xDFFF'), std::u16string(5000, u'\x1F'), u""};
  for (const std::u16string& text : texts) {
    Line line = Parsed("SurfacePrint " + QuotedText(text));
    EXPECT_EQ(line.args[0].units, text) << QuotedText(text);
  }
  const std::pair<const char*, std::u16string> read[] = {
      {"\"\xFF\xC0\x80\xED\xA0\x80z\"", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz"},
      {"\"C:\\dir\\u12\\u004a\"", u"C:\\dir\\u12J"},
      {"\"\xE2\x82\"", u"\uFFFD\uFFFD"},
  };
  for (const auto& [written, units] : read) EXPECT_EQ(Parsed(std::string("SurfacePrint ") + written).args[0].units, units);
}

}  // namespace
}  // namespace qv::script
