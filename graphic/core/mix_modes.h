// Mix modes: the platform's two-operand raster operations R2_BLACK (1) ... R2_WHITE (16).
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kMixCopyPen = 13;  // R2_COPYPEN

// The mode SurfaceSetMix selects: 0 and anything above 16 (compared unsigned) are R2_COPYPEN.
int32_t MixMode(int32_t mix);

// The ternary raster operation of a block copy with the mix: SRCCOPY except for the modes that
// have a source counterpart (2, 4, 5, 7, 9, 12, 15); an index above 15 (unsigned) is 0.
uint32_t MixRasterOperation(int32_t mix);

}  // namespace qv
