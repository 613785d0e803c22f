#include "surface_map_point.h"
#include "surface_text.h"

namespace qv {

// The two wraps exclude each other: turning one on turns the other off.
void SurfaceSetWordWrap(int32_t on) { DrawingOptionSet(kWrapAtWords, kWrapAnywhere, on); }
int32_t SurfaceGetWordWrap() { return DrawingOptionGet(kWrapAtWords); }
void SurfaceSetCharWrap(int32_t on) { DrawingOptionSet(kWrapAnywhere, kWrapAtWords, on); }
int32_t SurfaceGetCharWrap() { return DrawingOptionGet(kWrapAnywhere); }

}  // namespace qv
