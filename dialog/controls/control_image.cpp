#include "control_image.h"

#include "runtime_state.h"

namespace qv {

namespace {

HINSTANCE Module() { return static_cast<HINSTANCE>(Runtime().module); }

void DeleteImage(HANDLE image, bool icon) {
  if (icon)
    DestroyIcon(static_cast<HICON>(image));
  else
    DeleteObject(image);
}

}  // namespace

bool ImageIsBitmapResource(const wchar_t* name) {
  return FindResourceW(Module(), name, reinterpret_cast<LPCWSTR>(RT_BITMAP)) != nullptr;
}

void ControlImageLoad(WindowRecord& record, HWND control, const wchar_t* name, int cx, int cy) {
  bool icon = (record.flags & kFlagImageIcon) != 0;
  UINT type = icon ? IMAGE_ICON : IMAGE_BITMAP;
  HANDLE image = LoadImageW(Module(), name, type, cx, cy, LR_LOADMAP3DCOLORS);
  if (!image) return;
  UINT set = record.kind <= kKindImageScaled ? STM_SETIMAGE : BM_SETIMAGE;
  auto replaced = reinterpret_cast<HANDLE>(SendMessageW(control, set, type, reinterpret_cast<LPARAM>(image)));
  HANDLE kept = record.image;
  record.image = image;
  if (replaced && replaced != image) DeleteImage(replaced, icon);
  if (kept && kept != replaced && kept != image) DeleteImage(kept, icon);
}

}  // namespace qv
