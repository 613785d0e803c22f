#include "surface_start_up.h"

#include "font_table.h"
#include "surface_seam.h"
#include "surface.h"
#include "surface_control_settings.h"

namespace qv {

void SurfaceStartUp() {
  FontTableCreateDefaults();
  SurfaceSeamConnect(SurfaceSeam{SurfaceSetUp, SurfacePaint, SurfaceFontSelect, SurfaceResizeTo});
}

}  // namespace qv
