#pragma once

#include <cstdint>

namespace qv {

// Fills the target's whole canvas (colour -1: the background colour, -2: nothing) with fill
// style 0 (solid) or 1-6 (hatches), moves the position to the clip origin and refreshes.
void SurfaceClear(int32_t colour, int32_t fill_style);

}  // namespace qv
