#include "script_line.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "user_space.h"

namespace qv::script {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool HexPattern(std::string_view token, int32_t& out) {
  std::string_view digits;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) digits = token.substr(2);
  else if (token.size() > 2 && token[0] == '&' && (token[1] == 'h' || token[1] == 'H')) digits = token.substr(2);
  else return false;
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t v = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    v = v * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  out = static_cast<int32_t>(v);
  return true;
}

// [+-]digits[.digits][(e|E)[+-]digits] or [+-].digits...: no words like inf or nan.
bool DecimalShape(std::string_view t) {
  size_t i = 0, digits = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t exponent = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == t.size();
}

bool ParseNumber(std::string_view token, Value& value) {
  value.kind = Value::Kind::kNumber;
  if (HexPattern(token, value.integer)) {
    value.number = value.integer;
    value.whole = true;
    return true;
  }
  if (!DecimalShape(token)) return false;
  std::string copy(token);
  value.number = std::strtold(copy.c_str(), nullptr);
  if (!std::isfinite(value.number)) return false;
  value.whole = value.number == std::floor(value.number) && value.number >= std::numeric_limits<int32_t>::min() &&
                value.number <= std::numeric_limits<int32_t>::max();
  if (value.whole) value.integer = static_cast<int32_t>(value.number);
  return true;
}

bool ParsePoints(std::string_view inside, Value& value, std::string& error) {
  value.kind = Value::Kind::kPoints;
  size_t i = 0;
  while (i < inside.size()) {
    if (IsBlank(inside[i]) || inside[i] == ',') {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < inside.size() && !IsBlank(inside[end]) && inside[end] != ',') ++end;
    Value n;
    if (!ParseNumber(inside.substr(i, end - i), n)) {
      error = "bad number in point list: " + std::string(inside.substr(i, end - i));
      return false;
    }
    value.points.push_back(ToFloat32(n.number));  // beyond the float range: infinity
    i = end;
  }
  if (value.points.size() % 2 != 0) {
    error = "point list has an x without its y";
    return false;
  }
  return true;
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNamePart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Words that read as numbers elsewhere: here they are malformed numbers, not names.
bool NumberWord(std::string_view token) {
  std::string lower;
  for (char c : token) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "inf" || lower == "infinity" || lower == "nan";
}

bool ParseName(std::string_view token, Value& value) {
  if (token.empty() || !IsNameStart(token[0]) || NumberWord(token)) return false;
  for (char c : token)
    if (!IsNamePart(c)) return false;
  value.kind = Value::Kind::kName;
  value.text = std::string(token);
  return true;
}

}  // namespace

ParseResult ParseLine(std::string_view text) {
  ParseResult result;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size() || text[i] == '#' || text[i] == '\'') return result;
  Line line;
  size_t end = i;
  while (end < text.size() && IsNamePart(text[end])) ++end;
  if (end == i || !IsNameStart(text[i]) || (end < text.size() && !IsBlank(text[end]))) {
    result.error = "a line starts with an operation name";
    return result;
  }
  line.name = std::string(text.substr(i, end - i));
  i = end;
  while (true) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    Value value;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) {
        result.error = "text without its closing quote";
        return result;
      }
      value.kind = Value::Kind::kText;
      value.text = std::string(text.substr(i + 1, close - i - 1));
      value.units = TextUnits(value.text);
      end = close + 1;
    } else if (text[i] == '[') {
      size_t close = text.find(']', i + 1);
      if (close == std::string_view::npos) {
        result.error = "point list without its closing bracket";
        return result;
      }
      if (!ParsePoints(text.substr(i + 1, close - i - 1), value, result.error)) return result;
      end = close + 1;
    } else {
      end = i;
      while (end < text.size() && !IsBlank(text[end])) ++end;
      if (!ParseNumber(text.substr(i, end - i), value) && !ParseName(text.substr(i, end - i), value)) {
        result.error = "not a number: " + std::string(text.substr(i, end - i));
        return result;
      }
    }
    if (end < text.size() && !IsBlank(text[end])) {
      result.error = "arguments are separated by blanks";
      return result;
    }
    line.args.push_back(std::move(value));
    i = end;
  }
  result.line = std::move(line);
  return result;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A \uXXXX escape at i: its unit, or -1.
int32_t Escape(std::string_view text, size_t i) {
  if (i + 6 > text.size() || text[i] != '\\' || text[i + 1] != 'u') return -1;
  int32_t unit = 0;
  for (size_t k = i + 2; k < i + 6; ++k) {
    int digit = HexDigit(text[k]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// One UTF-8 sequence at i: its code point and length, or U+FFFD and one byte when the bytes
// are no (shortest, non-surrogate) UTF-8.
std::pair<uint32_t, size_t> Utf8At(std::string_view text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t lead = byte(i);
  if (lead < 0x80) return {lead, 1};
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (lead >= 0xF5) length = 0;
  if (length == 0 || i + length > text.size()) return {0xFFFD, 1};
  uint32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {0xFFFD, 1};
    code = code << 6 | (byte(i + k) & 0x3F);
  }
  static constexpr uint32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return {0xFFFD, 1};
  return {code, length};
}

}  // namespace

std::u16string TextUnits(std::string_view text) {
  std::u16string units;
  for (size_t i = 0; i < text.size();) {
    if (int32_t unit = Escape(text, i); unit >= 0) {
      units += static_cast<char16_t>(unit);
      i += 6;
      continue;
    }
    auto [code, length] = Utf8At(text, i);
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
    i += length;
  }
  return units;
}

std::string PointBlock(const std::vector<float>& points) {
  uint32_t count = static_cast<uint32_t>(points.size() / 2);
  std::string block(4 + points.size() * 4, '\0');
  std::memcpy(block.data(), &count, 4);
  if (!points.empty()) std::memcpy(block.data() + 4, points.data(), points.size() * 4);
  return block;
}

}  // namespace qv::script
