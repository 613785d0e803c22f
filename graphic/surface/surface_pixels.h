// PixelString: a whole canvas as one byte string. Width and height as 32-bit little-endian
// values, then 4-byte pixels (blue, green, red, unused), top row first, no row padding.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kPixelHeaderBytes = 8;

// Pushes the target's canvas as a PixelString, or the empty string. Never raises an error.
void SurfaceReadPixels();

// Writes the PixelString on top of the operand stack into the target's canvas and refreshes
// the whole canvas by the target's rule. The operand is always consumed; a string that does
// not hold the pixels its header claims (or has a negative size) writes nothing.
void SurfaceWritePixels();

}  // namespace qv
