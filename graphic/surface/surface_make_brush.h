#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Colour -2: the hollow stock brush; else a solid brush (style 0) or a hatch (styles 1-6).
// The caller deletes it.
HBRUSH SurfaceMakeBrush(int32_t colour, int32_t fill_style);

}  // namespace qv
