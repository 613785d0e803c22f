// One line of a drawing script, independent of the platform. A line is an operation name
// followed by its arguments, separated by blanks:
//   numbers   42, -7, 2.5, 1e3 (decimal), 0xFF or &HFF (up to 8 hex digits, a 32-bit pattern)
//   texts     "file.bmp" (no quote inside; UTF-8, and \uXXXX, four hex digits, for any UTF-16
//             unit: the form the runner prints texts in, so they read back the same)
//   points    [10,10 50,10 30,40] (x,y pairs; commas and blanks both separate)
//   names     picture, as, tile_2 (a letter or _, then letters, digits, _): surfaces and the
//             `as` of a line that names what it makes; inf and nan are not names but bad numbers
// Blank lines and lines starting with # or ' are comments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::script {

struct Value {
  enum class Kind { kNumber, kText, kPoints, kName } kind = Kind::kNumber;
  long double number = 0;
  bool whole = false;      // an integer in the 32-bit range, or a hex pattern
  int32_t integer = 0;     // the number as a 32-bit value when whole
  std::string text;        // UTF-8 as written; a name as written
  std::u16string units;    // a text's UTF-16 units (a byte that is no UTF-8 becomes U+FFFD)
  std::vector<float> points;  // x, y, x, y, ...
};

struct Line {
  std::string name;
  std::vector<Value> args;
};

struct ParseResult {
  std::optional<Line> line;  // nothing for a blank or comment line
  std::string error;         // why the line is malformed; empty when it is not
};

ParseResult ParseLine(std::string_view text);

// The UTF-16 units of a text as written between its quotes.
std::u16string TextUnits(std::string_view text);

// The point list block an operation takes: a 32-bit count, then the x, y pairs as float32.
std::string PointBlock(const std::vector<float>& points);

}  // namespace qv::script
