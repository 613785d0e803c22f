// A text operand handed to the platform as a zero-ended wide string (a window text, a class,
// resource or file name): its whole UTF-16 units, cut at the first zero unit by the platform as
// it reads. An odd last byte is no character and is dropped, so nothing past the block is read.
#pragma once

#include <string>
#include <string_view>

#include "dyn_string.h"

namespace qv {

inline std::wstring PlatformName(const DynString& text) {
  std::u16string_view units = text.wide_view();
  return std::wstring(units.begin(), units.end());
}

}  // namespace qv
