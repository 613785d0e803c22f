#include "app_state.h"
#include "bit_ops.h"
#include "char_code.h"
#include "colour.h"
#include "fixed_images.h"
#include "frame.h"
#include "string_ops.h"
#include "surface_clear.h"
#include "surface_pixels.h"

namespace qv::app {

namespace {
constexpr int32_t kBytesPerColumn = 30;
constexpr int32_t kBitsPerByte = 8;
constexpr int32_t kCellSize = 4;
constexpr int32_t kCellRowBytes = kCellSize * 4;  // four pixels of blue, green, red, unused
constexpr int32_t kRowStride = 4800;   // bytes between two pixel rows: 1200 pixels of 4 bytes
constexpr int32_t kHeaderSkip = 8;     // width and height before the first pixel
constexpr int32_t kStrips = 300;       // 1200 pixels / 4
constexpr int32_t kFillSolid = 0;
// Bytes that fit in the grid. Later bytes are not drawn: drawn on, they would land one pixel
// row lower over the first 9000 and spoil their picture.
constexpr int32_t kBytesShown = kStrips * kBytesPerColumn;
}  // namespace

void RenderBitGrid() {
  ProcedureFrame frame;
  // One row of a cell, four pixels of the cell colour with red and blue exchanged for the
  // pixel string: built once, so each cell row is a single 16-byte write.
  DynString cell_row;
  PackLong(SwapRedBlue(kCellColour));
  AssignText(cell_row);
  for (int doubling = 0; doubling < 2; ++doubling) {  // 4 bytes -> 8 -> 16
    PushText(cell_row);
    PushText(cell_row);
    Concat();
    AssignText(cell_row);
  }

  SurfaceClear(kBackgroundColour, kFillSolid);
  SurfaceReadPixels();
  AssignText(SurfacePixels);

  PushText(ReceivedData);
  const int32_t n = TextLength();
  const int32_t shown = n < kBytesShown ? n : kBytesShown;
  for (int32_t i = 0; i < shown; ++i) {
    PushText(ReceivedData);
    int32_t v = CharCodeAt(i + 1);
    for (uint32_t b = 0; b < kBitsPerByte; ++b) {
      if (BitTest(&v, b)) {
        const int32_t strip = i / kBytesPerColumn;
        const int32_t cell = (i % kBytesPerColumn) * kBitsPerByte + static_cast<int32_t>(b);
        PaintBitCell(strip, cell, cell_row);
      }
    }
  }

  PushText(SurfacePixels);
  SurfaceWritePixels();
}

// The block covers x = 4 * strip ... + 3 and y = 4 * cell ... + 3 of the pixel string.
void PaintBitCell(const int32_t& strip, const int32_t& cell, const DynString& cell_row) {
  ProcedureFrame frame;
  const int32_t first = kRowStride * kCellSize * cell + kCellRowBytes * strip + kHeaderSkip + 1;
  for (int32_t dy = 0; dy < kCellSize; ++dy) {
    PushText(cell_row);
    ReplaceInPlace(SurfacePixels, first + kRowStride * dy, kCellRowBytes);
  }
}

}  // namespace qv::app
