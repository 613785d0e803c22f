#include "mix_modes.h"
#include "surface.h"
#include "surface_drawing.h"

namespace qv {

void SurfaceSetMix(int32_t mix) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->memory_dc) SetROP2(record->memory_dc, MixMode(mix));
  SurfaceRelease();
}

int32_t SurfaceGetMix() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return 0;
  int32_t mix = record->memory_dc ? GetROP2(record->memory_dc) : 0;
  SurfaceRelease();
  return mix;
}

}  // namespace qv
