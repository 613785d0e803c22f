#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceSetInclusiveEnds(int32_t on) { DrawingOptionSet(kInclusiveEnds, 0, on); }
int32_t SurfaceGetInclusiveEnds() { return DrawingOptionGet(kInclusiveEnds); }

}  // namespace qv
