#pragma once

#include <cstdint>

namespace qv {

void SurfaceSetPenStyle(int32_t style);  // 0-4; anything else is 0
void SurfaceSetPenWidth(int32_t width);  // 0 = one pixel

}  // namespace qv
