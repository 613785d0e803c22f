// The one way the dialog engine reaches graphic-control code. The graphic library builds on
// the dialog library, not the other way round, so the engine cannot call it directly; instead
// the program connects the graphic entries once at start-up (the graphic library offers a
// start-up hook that does it). Unconnected, a kind-14 control is a plain owner-drawn static
// without canvas, WM_DRAWITEM is left unhandled and its font and size settings do nothing.
// Tearing a canvas down needs no graphic code: RecordDestroy frees the record's drawing
// objects itself, under SurfaceLock, which lives with the records (surface_lock_word.h).
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

struct WindowRecord;

struct SurfaceSeam {
  // Finishes a freshly created kind-14 control whose record exists.
  void (*set_up)(WindowRecord& record, HWND control) = nullptr;
  // Paints a graphic control from its canvas on WM_DRAWITEM; TRUE when handled.
  BOOL (*paint)(const DRAWITEMSTRUCT& item, HWND owner) = nullptr;
  // Selects a FontTable font (its number and its control font handle) into a surface's canvas.
  void (*select_font)(HANDLE surface, int32_t number, HFONT font) = nullptr;
  // Gives a graphic control a canvas and a client area of width x height pixels.
  void (*resize)(HWND control, int32_t width, int32_t height) = nullptr;
};

void SurfaceSeamConnect(const SurfaceSeam& seam);
const SurfaceSeam& SurfaceSeamGet();

}  // namespace qv
