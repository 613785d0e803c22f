#include <cstdlib>

#include "drawing_tools.h"
#include "dyn_string.h"
#include "error.h"
#include "mix_modes.h"
#include "platform_name.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

namespace {

// The target rectangle's sides under the target's current coordinates.
struct TargetRect {
  Side x, y;
  bool empty() const { return !x.extent || !y.extent; }
};

TargetRect MapTarget(const WindowRecord& record, float x3, float y3, float x4, float y4) {
  PixelPoint a = SurfaceMapPoint(record, x3, y3, false), b = SurfaceMapPoint(record, x4, y4, false);
  return {SideOf(a.x, b.x), SideOf(a.y, b.y)};
}

// The file read and decoded, before the lock is taken: a bitmap, else an icon of the size.
struct LoadedImage {
  GdiObject bitmap;
  HICON icon = nullptr;
  BITMAP info{};
  LoadedImage() = default;
  LoadedImage(const LoadedImage&) = delete;
  LoadedImage& operator=(const LoadedImage&) = delete;
  ~LoadedImage() {
    if (icon) DestroyIcon(icon);
  }
  bool loaded() const { return bitmap.get() || icon; }
};

void LoadImageFile(const std::wstring& path, int32_t width, int32_t height, LoadedImage& image) {
  image.bitmap.reset(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (image.bitmap.get() && GetObjectW(image.bitmap.get(), sizeof image.info, &image.info)) return;
  image.bitmap.reset(nullptr);
  image.icon = static_cast<HICON>(
      LoadImageW(nullptr, path.c_str(), IMAGE_ICON, width, height, LR_LOADFROMFILE));
}

bool DrawBitmap(HDC dc, const LoadedImage& image, const TargetRect& to, int32_t mix, int32_t stretch_mode) {
  ScratchDC scratch(dc);
  if (!scratch.get()) return false;
  Selection selected(scratch.get(), image.bitmap.get());
  if (stretch_mode) SetStretchBltMode(dc, stretch_mode);
  // Halftone stretching needs the brush origin set again.
  SetBrushOrgEx(dc, 0, 0, nullptr);
  return StretchBlt(dc, to.x.origin, to.y.origin, to.x.extent, to.y.extent, scratch.get(), 0, 0, image.info.bmWidth,
                    image.info.bmHeight, MixRasterOperation(mix)) != FALSE;
}

// The platform draws icons unmirrored: a rectangle given backwards holds the icon as it is.
bool DrawIcon(HDC dc, const LoadedImage& image, const TargetRect& to) {
  return DrawIconEx(dc, to.x.low(), to.y.low(), image.icon, to.x.pixels(), to.y.pixels(), 0, nullptr, DI_NORMAL) !=
         FALSE;
}

}  // namespace

void SurfaceStretchImage(float x3, float y3, float x4, float y4, int32_t mix, int32_t stretch_mode) {
  DynString name = PopText();
  std::wstring path = PlatformName(name);
  WindowRecord* record = SurfaceAcquire();
  if (!record) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  TargetRect to = MapTarget(*record, x3, y3, x4, y4);
  SurfaceRelease();
  if (path.empty() || to.empty()) return;
  LoadedImage image;
  LoadImageFile(path, to.x.pixels(), to.y.pixels(), image);
  if (!image.loaded()) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  // The target and its coordinates may have changed while the file was read.
  record = SurfaceAcquire();
  if (!record) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  to = MapTarget(*record, x3, y3, x4, y4);
  bool drawn = false;
  if (HDC dc = record->memory_dc; dc && !to.empty())
    drawn = image.bitmap.get() ? DrawBitmap(dc, image, to, mix, stretch_mode) : DrawIcon(dc, image, to);
  if (!drawn) {
    SurfaceRelease();
    return;
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
