#include "surface_map_point.h"
#include "surface_text.h"

namespace qv {

void SurfaceSetScrollOnNewLine(int32_t on) { DrawingOptionSet(kScrollOnNewLine, 0, on); }
int32_t SurfaceGetScrollOnNewLine() { return DrawingOptionGet(kScrollOnNewLine); }

}  // namespace qv
