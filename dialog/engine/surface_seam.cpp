#include "surface_seam.h"

namespace qv {

namespace {
SurfaceSeam& Seam() {
  static SurfaceSeam seam;
  return seam;
}
}  // namespace

void SurfaceSeamConnect(const SurfaceSeam& seam) { Seam() = seam; }
const SurfaceSeam& SurfaceSeamGet() { return Seam(); }

}  // namespace qv
