// Dialog units and pixels, measured on a window's reference dialog: the first record with the
// dialog flag found by following parent links from the window's own record.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

struct UnitPair {
  int32_t x = 0, y = 0;
};

// Null when the window has no reference dialog.
HWND ReferenceDialog(HWND window);

// Both give 0, 0 for a window without reference dialog.
UnitPair UnitsToPixels(HWND window, UnitPair units);
// Rounded to the nearest unit, a remainder of half rounding up; negative values round down.
UnitPair PixelsToUnits(HWND window, UnitPair pixels);

// Whether the window's record asks for dialog units.
bool UsesDialogUnits(HWND window);

}  // namespace qv
