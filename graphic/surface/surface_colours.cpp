#include "brush_sharing.h"
#include "surface.h"
#include "surface_colours.h"

namespace qv {

namespace {
constexpr COLORREF kTransparentBackground = 0xFFFFFF;
}

void SurfaceSetForeColor(int32_t colour) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (colour != kColourDefault) {
    if (colour == kColourSystem) colour = static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT));
    record->fore_colour = colour & 0x00FFFFFF;
    if (record->memory_dc) SetTextColor(record->memory_dc, static_cast<COLORREF>(record->fore_colour));
  }
  SurfaceRelease();
}

void SurfaceSetBackColor(int32_t colour) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (colour == kColourDefault) {
    SurfaceRelease();
    return;
  }
  // The brush stands for the colour wherever the canvas is filled with the background; a
  // transparent background keeps the white that the DC is given.
  COLORREF paint = kTransparentBackground;
  if (colour == kColourNone) {
    if (record->memory_dc) {
      SetBkColor(record->memory_dc, kTransparentBackground);
      SetBkMode(record->memory_dc, TRANSPARENT);
    }
  } else {
    if (colour == kColourSystem) colour = static_cast<int32_t>(GetSysColor(COLOR_BTNFACE));
    colour &= 0x00FFFFFF;
    paint = static_cast<COLORREF>(colour);
    if (record->memory_dc) {
      SetBkColor(record->memory_dc, paint);
      SetBkMode(record->memory_dc, OPAQUE);
    }
  }

  RecordGraphicBrushExchange(record->handle, paint, colour);
  SurfaceRelease();
}

}  // namespace qv
