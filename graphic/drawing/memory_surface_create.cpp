#include "memory_surface.h"
#include "surface_lock.h"

namespace qv {

HANDLE MemorySurfaceCreate(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (!canvas) return nullptr;
  SurfaceLock().lock();
  HANDLE handle = MemorySurfaceAdopt(canvas, width, height);
  SurfaceLock().unlock();
  return handle;
}

}  // namespace qv
