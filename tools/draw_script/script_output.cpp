#include "script_output.h"

#include <charconv>
#include <cstdio>

namespace qv::script {

std::string ColourText(int32_t colour) {
  if (colour < 0) return std::to_string(colour);
  char text[16];
  std::snprintf(text, sizeof text, "&H%06X", static_cast<unsigned>(colour));
  return text;
}

std::string NumberText(float value) {
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : std::string("0");
}

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendEscape(std::string& out, char16_t unit) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(unit));
  out += text;
}

bool High(char16_t u) { return u >= 0xD800 && u < 0xDC00; }
bool Low(char16_t u) { return u >= 0xDC00 && u < 0xE000; }

}  // namespace

std::string QuotedText(std::u16string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (High(unit) && i + 1 < text.size() && Low(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (unit < 0x20 || unit == u'"' || unit == u'\\' || High(unit) || Low(unit)) {
      AppendEscape(out, unit);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out + "\"";
}

}  // namespace qv::script
