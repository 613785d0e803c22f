#include "drawing_tools.h"
#include "dyn_string.h"
#include "error.h"
#include "mix_modes.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

namespace {

bool DrawBitmapFile(HDC dc, const wchar_t* name, PixelPoint a, int32_t width, int32_t height, int32_t mix,
                    int32_t stretch_mode) {
  GdiObject bitmap(LoadImageW(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  BITMAP info{};
  if (!bitmap.get() || !GetObjectW(bitmap.get(), sizeof info, &info)) return false;
  ScratchDC scratch(dc);
  if (!scratch.get()) return false;
  Selection selected(scratch.get(), bitmap.get());
  int previous = stretch_mode ? SetStretchBltMode(dc, stretch_mode) : 0;
  // Halftone stretching needs the brush origin set again.
  SetBrushOrgEx(dc, 0, 0, nullptr);
  BOOL drawn = StretchBlt(dc, a.x, a.y, width, height, scratch.get(), 0, 0, info.bmWidth, info.bmHeight,
                          MixRasterOperation(mix));
  if (previous) SetStretchBltMode(dc, previous);
  return drawn != FALSE;
}

bool DrawIconFile(HDC dc, const wchar_t* name, PixelPoint a, int32_t width, int32_t height) {
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, name, IMAGE_ICON, width, height, LR_LOADFROMFILE));
  if (!icon) return false;
  BOOL drawn = DrawIconEx(dc, a.x, a.y, icon, width, height, 0, nullptr, DI_NORMAL);
  DestroyIcon(icon);
  return drawn != FALSE;
}

}  // namespace

void SurfaceStretchImage(float x3, float y3, float x4, float y4, int32_t mix, int32_t stretch_mode) {
  DynString name = PopText();
  WindowRecord* record = SurfaceAcquire();
  if (!record) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  PixelPoint a = SurfaceMapPoint(*record, x3, y3, false), b = SurfaceMapPoint(*record, x4, y4, false);
  int32_t width = SpanOf(a.x, b.x), height = SpanOf(a.y, b.y);
  const wchar_t* path = reinterpret_cast<const wchar_t*>(name.data());
  bool drawn = false;
  if (!name.empty() && record->memory_dc && width > 0 && height > 0)
    drawn = DrawBitmapFile(record->memory_dc, path, a, width, height, mix, stretch_mode) ||
            DrawIconFile(record->memory_dc, path, a, width, height);
  if (!drawn) {
    SurfaceRelease();
    RaiseError(kErrorInvalidArgument);
    return;
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
