// The header of a 32-bit device-independent bitmap whose first row is the top one, as the
// canvas copies and pixel strings use it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

inline BITMAPINFO TopDown32(int32_t width, int32_t height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace qv
