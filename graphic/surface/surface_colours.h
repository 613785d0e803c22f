#pragma once

#include <cstdint>

namespace qv {

// Text and default pen colour of the target (-1: system colour, -3: unchanged).
void SurfaceSetForeColor(int32_t colour);
// Background of the target (-1: system colour, -2: transparent, -3: unchanged).
void SurfaceSetBackColor(int32_t colour);

}  // namespace qv
