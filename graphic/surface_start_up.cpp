#include "graphic/surface_start_up.h"

#include "dialog/font_table.h"
#include "dialog/surface_seam.h"
#include "graphic/surface.h"

namespace qv {

void SurfaceStartUp() {
  FontTableCreateDefaults();
  SurfaceSeamConnect(SurfaceSeam{SurfaceSetUp, SurfacePaint});
}

}  // namespace qv
