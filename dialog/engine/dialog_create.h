#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Unit mode bit: coordinates and sizes are pixels (else dialog units).
constexpr int32_t kUnitPixels = 0x2;
// x or y: not given, centre the dialog.
constexpr int32_t kCentred = static_cast<int32_t>(0x80000000);
constexpr uint32_t kDefaultDialogStyle = 0x80C000D4;

// Creates a hidden engine dialog. The title (UTF-16) is the top operand and is consumed. In
// pixel mode width and height are the client size. Returns the dialog or 0.
HWND DialogCreate(int32_t unit_mode, HWND parent, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t style, uint32_t ex_style);

// The style a dialog is created with.
uint32_t DialogStyleNormalise(uint32_t style, HWND parent, int32_t x, int32_t y);

}  // namespace qv
