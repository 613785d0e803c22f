#include "window_record.h"
#include "surface_make_brush.h"

namespace qv {

HBRUSH SurfaceMakeBrush(int32_t colour, int32_t fill_style) {
  if (colour == kColourNone) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (fill_style >= 1 && fill_style <= 6) return CreateHatchBrush(fill_style - 1, static_cast<COLORREF>(colour));
  return CreateSolidBrush(static_cast<COLORREF>(colour));
}

}  // namespace qv
