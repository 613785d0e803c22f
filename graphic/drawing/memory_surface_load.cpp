#include <cstring>

#include "drawing_tools.h"
#include "dyn_string.h"
#include "memory_surface.h"
#include "platform_name.h"
#include "string_ops.h"
#include "surface_lock.h"

namespace qv {

namespace {

constexpr uint32_t kSystemBitmapLimit = 0x8000;

HBITMAP LoadNamed(const DynString& name) {
  if (name.empty()) return nullptr;
  auto load = [](HINSTANCE module, const wchar_t* id, UINT flags) {
    return static_cast<HBITMAP>(LoadImageW(module, id, IMAGE_BITMAP, 0, 0, flags));
  };
  if (name.bytes() == 4) {
    uint32_t number;
    std::memcpy(&number, name.data(), 4);
    if (number < kSystemBitmapLimit) return load(nullptr, MAKEINTRESOURCEW(number), 0);
  }
  std::wstring named = PlatformName(name);
  const wchar_t* text = named.c_str();
  if (named.find(L'.') != std::wstring::npos) return load(nullptr, text, LR_LOADFROMFILE);
  if (HBITMAP resource = load(GetModuleHandleW(nullptr), text, 0)) return resource;
  return load(nullptr, text, LR_LOADFROMFILE);
}

// A copy of the bitmap stretched to width x height, or null.
HBITMAP Stretched(HBITMAP bitmap, int32_t from_width, int32_t from_height, int32_t width, int32_t height,
                  int32_t stretch_mode) {
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP result = CreateCompatibleBitmap(screen, width, height);
  ScratchDC from(screen), to(screen);
  ReleaseDC(nullptr, screen);
  if (!result || !from.get() || !to.get()) {
    if (result) DeleteObject(result);
    return nullptr;
  }
  {
    Selection source(from.get(), bitmap), target(to.get(), result);
    int previous = stretch_mode ? SetStretchBltMode(to.get(), stretch_mode) : 0;
    StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, from_width, from_height, SRCCOPY);
    if (previous) SetStretchBltMode(to.get(), previous);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
  }
  return result;
}

}  // namespace

HANDLE MemorySurfaceLoad(int32_t width, int32_t height, int32_t stretch_mode) {
  DynString name = PopText();
  // 0 keeps the bitmap's size; a negative one is no size a bitmap can be made in.
  bool keep_size = width == 0 || height == 0;
  if (!keep_size && (width < 0 || height < 0)) return nullptr;
  HBITMAP bitmap = LoadNamed(name);
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  if (!keep_size && (width != info.bmWidth || height != info.bmHeight)) {
    HBITMAP sized = Stretched(bitmap, info.bmWidth, info.bmHeight, width, height, stretch_mode);
    DeleteObject(bitmap);
    if (!sized) return nullptr;
    bitmap = sized;
  } else {
    width = info.bmWidth;
    height = info.bmHeight;
  }
  SurfaceLock().lock();
  HANDLE handle = MemorySurfaceAdopt(bitmap, width, height);
  SurfaceLock().unlock();
  return handle;
}

}  // namespace qv
