// Memory surfaces: a canvas without a window (record kind 26, its handle the canvas bitmap,
// parent 0, DeferRedraw set). A program attaches one with SurfaceAttach (handle, 0, 0) and
// draws on it like on any surface; it is never painted. Bitmap files: SurfaceSaveBitmap writes
// the target's canvas, MemorySurfaceLoad reads a bitmap into a new memory surface.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// A new surface of width x height pixels compatible with the screen, not cleared; its handle,
// or 0 (sizes that are not positive, or no memory for the bitmap).
HANDLE MemorySurfaceCreate(int32_t width, int32_t height);

// A new surface from the bitmap named by the top operand (wide text, always consumed): two
// characters whose first 32-bit value is below 0x8000 name a system bitmap by number; a name
// with "." is a file; any other name is a bitmap resource of the program, then a file. Width
// or height 0 keeps the bitmap's size; another positive size stretches it with the stretch
// mode (0: the DC's default). Its handle, or 0 (also for a negative size); raises no error.
HANDLE MemorySurfaceLoad(int32_t width, int32_t height, int32_t stretch_mode);

// Destroys the target when it is a memory surface; the thread is then without a target.
void MemorySurfaceDestroy();

// Writes the target's canvas as a 24-bit BMP file named by the top operand (wide text, always
// consumed; empty: nothing). The file is written beside the name and then moved over it, so a
// failed save leaves an existing file as it was. Raises no error.
void SurfaceSaveBitmap();

// Internal: records a canvas bitmap as a memory surface (font 1, colours, OPAQUE). Called with
// SurfaceLock held; the bitmap is deleted on failure. The handle or 0.
HANDLE MemorySurfaceAdopt(HBITMAP canvas, int32_t width, int32_t height);

}  // namespace qv
