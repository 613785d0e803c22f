// Block copies onto the thread's target. A source surface is named as for SurfaceAttach: a
// window (dialog or frame) and a control identifier, or the surface's own handle (a memory
// surface's bitmap) with any identifier. The mix chooses the raster operation (MixRasterOperation).
// Without a target or a source surface nothing happens and no error is raised, except where said.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

namespace qv {

// The whole source at the target's (0, 0), the smaller canvas in each direction.
void SurfaceCopy(HANDLE window, int32_t id, int32_t mix);

// The whole source at the mapped point, cut to the target.
void SurfaceCopyAt(HANDLE window, int32_t id, float x, float y, int32_t mix);

// The source rectangle (x1, y1)-(x2, y2), inclusive, in the source's user coordinates, at the
// mapped target point. A block copy: corners in any order name the same |x2 - x1| + 1 by
// |y2 - y1| + 1 pixels, copied unmirrored.
void SurfaceCopyRect(HANDLE window, int32_t id, float x1, float y1, float x2, float y2, float x, float y,
                     int32_t mix);

// The source rectangle (x1, y1)-(x2, y2) stretched onto the target rectangle (x3, y3)-(x4, y4),
// all inclusive; a side given backwards (x2 < x1, x4 < x3, ...) covers the same |x2 - x1| + 1
// pixels mirrored: the exact mirror of the copy given forwards. A stretch mode other than 0 becomes the target's stretch mode, as
// SurfaceSetStretchMode would set it, and stays: the argument says which mode the copy uses,
// 0 keeping the current one, and the surface's mode is one setting rather than one per call.
void SurfaceStretchCopy(HANDLE window, int32_t id, float x1, float y1, float x2, float y2, float x3, float y3,
                        float x4, float y4, int32_t mix, int32_t stretch_mode);

// The whole source stretched onto the target rectangle; error 5 when the source is not a
// surface or there is no target.
void SurfaceStretchCopyWhole(HANDLE window, int32_t id, float x3, float y3, float x4, float y4, int32_t mix,
                             int32_t stretch_mode);

// An image file (bitmap, else icon) named by the top operand, always consumed, stretched onto
// the target rectangle like SurfaceStretchCopyWhole (a bitmap given backwards is mirrored, an icon is not). An
// empty name or an empty rectangle draws nothing; error 5 when a named file cannot be loaded
// or there is no target. The file is read before SurfaceLock is taken.
void SurfaceStretchImage(float x3, float y3, float x4, float y4, int32_t mix, int32_t stretch_mode);

// Image `index` (from 1) of an image list at the mapped point with an overlay (0-15) and a
// drawing style; error 5 without a target or when the list cannot draw it.
void SurfaceDrawListImage(HIMAGELIST list, int32_t index, int32_t overlay, uint32_t style, float x, float y);

}  // namespace qv
