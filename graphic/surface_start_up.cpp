#include "surface_start_up.h"

#include "font_table.h"
#include "surface_seam.h"
#include "surface.h"

namespace qv {

void SurfaceStartUp() {
  FontTableCreateDefaults();
  SurfaceSeamConnect(SurfaceSeam{SurfaceSetUp, SurfacePaint});
}

}  // namespace qv
