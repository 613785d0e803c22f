#include "surface.h"
#include "surface_drawing.h"

namespace qv {

Dpi SurfaceGetDpi() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return {};
  Dpi dpi;
  if (record->memory_dc)
    dpi = {GetDeviceCaps(record->memory_dc, LOGPIXELSX), GetDeviceCaps(record->memory_dc, LOGPIXELSY)};
  SurfaceRelease();
  return dpi;
}

}  // namespace qv
