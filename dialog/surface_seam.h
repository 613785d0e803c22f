// The one way the dialog engine reaches graphic-control code. The graphic library builds on
// the dialog library, not the other way round, so the engine cannot call it directly; instead
// the program connects the graphic entries once at start-up (the graphic library offers a
// start-up hook that does it). Unconnected, a kind-14 control is a plain owner-drawn static
// without canvas and WM_DRAWITEM is left unhandled. Tearing a canvas down needs no graphic
// code: RecordDestroy frees the record's drawing objects itself.
#pragma once

#include <windows.h>

namespace qv {

struct WindowRecord;

struct SurfaceSeam {
  // Finishes a freshly created kind-14 control whose record exists.
  void (*set_up)(WindowRecord& record, HWND control) = nullptr;
  // Paints a graphic control from its canvas on WM_DRAWITEM; TRUE when handled.
  BOOL (*paint)(const DRAWITEMSTRUCT& item, HWND owner) = nullptr;
  // Takes SurfaceLock unless the calling thread holds it; true when it took it.
  bool (*lock)() = nullptr;
  void (*unlock)() = nullptr;
};

void SurfaceSeamConnect(const SurfaceSeam& seam);
const SurfaceSeam& SurfaceSeamGet();

// Holds SurfaceLock for a scope when the graphic library is connected: records are freed only
// under it, so a surface operation on another thread never sees a record go mid-way.
class SurfaceSeamLock {
 public:
  SurfaceSeamLock() {
    const SurfaceSeam& seam = SurfaceSeamGet();
    taken_ = seam.lock && seam.unlock && seam.lock();
  }
  ~SurfaceSeamLock() {
    if (taken_) SurfaceSeamGet().unlock();
  }
  SurfaceSeamLock(const SurfaceSeamLock&) = delete;
  SurfaceSeamLock& operator=(const SurfaceSeamLock&) = delete;

 private:
  bool taken_ = false;
};

}  // namespace qv
