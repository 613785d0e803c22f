#include "surface_pixels.h"

#include <cstring>

#include "dyn_string.h"
#include "frame.h"
#include "floating_point_state.h"
#include "surface.h"
#include "string_ops.h"
#include "top_down_dib.h"

namespace qv {

namespace {

// Covers every canvas: the mark is clamped to the canvas size.
constexpr int32_t kWholeCanvas = 500000;

HBITMAP CanvasBitmap(const WindowRecord& record) {
  return record.memory_dc ? static_cast<HBITMAP>(GetCurrentObject(record.memory_dc, OBJ_BITMAP)) : nullptr;
}

int32_t HeaderField(const unsigned char* data, uint32_t offset) {
  int32_t value;
  std::memcpy(&value, data + offset, 4);
  return value;
}

// Width and height of a string that really holds them, else 0 x 0.
void PixelStringSize(TextRef text, int32_t& width, int32_t& height) {
  width = height = 0;
  uint32_t bytes = text.bytes();
  if (bytes < kPixelHeaderBytes) return;
  int32_t w = HeaderField(text.data(), 0), h = HeaderField(text.data(), 4);
  if (w <= 0 || h <= 0) return;
  uint64_t needed = kPixelHeaderBytes + 4ull * static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  if (needed > bytes) return;
  width = w;
  height = h;
}

}  // namespace

void SurfaceReadPixels() {
  FloatingPointState keep;
  WindowRecord* record = SurfaceAcquire();
  if (!record) {
    PushEmpty();
    return;
  }
  int32_t width = record->canvas_width, height = record->canvas_height;
  uint64_t bytes = kPixelHeaderBytes + 4ull * static_cast<uint64_t>(width > 0 ? width : 0) *
                                           static_cast<uint64_t>(height > 0 ? height : 0);
  DynString pixels;
  HBITMAP bitmap = CanvasBitmap(*record);
  if (bitmap && width > 0 && height > 0 && bytes <= UINT32_MAX - 2)
    pixels.Reset(TryAllocateBytes(static_cast<uint32_t>(bytes)));
  if (!pixels.empty()) {
    std::memcpy(pixels.data(), &width, 4);
    std::memcpy(pixels.data() + 4, &height, 4);
    BITMAPINFO info = TopDown32(width, height);
    if (GetDIBits(record->memory_dc, bitmap, 0, static_cast<UINT>(height), pixels.data() + kPixelHeaderBytes,
                  &info, DIB_RGB_COLORS) == 0)
      pixels.Reset();
  }
  PushOwned(std::move(pixels));
  SurfaceRelease();
}

void SurfaceWritePixels() {
  FloatingPointState keep;
  WindowRecord* record = SurfaceAcquire();
  if (!record) {
    PopDiscard();
    return;
  }
  TextRef* top = ProcedureFrame::Current().operands().Slot(0);
  int32_t width = 0, height = 0;
  if (top) PixelStringSize(*top, width, height);
  HBITMAP bitmap = CanvasBitmap(*record);
  int lines = 0;
  if (bitmap && width > 0 && height > 0) {
    BITMAPINFO info = TopDown32(width, height);
    lines = SetDIBits(record->memory_dc, bitmap, 0, static_cast<UINT>(height), top->data() + kPixelHeaderBytes,
                      &info, DIB_RGB_COLORS);
  }
  if (lines == 0)
    SurfaceRelease();
  else
    SurfaceMarkDirty(*record, 0, 0, kWholeCanvas, kWholeCanvas);
  PopDiscard();
}

}  // namespace qv
