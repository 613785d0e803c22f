#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>

#include "brush_sharing.h"
#include "control_release.h"
#include "font_table.h"
#include "record_list.h"
#include "surface_seam.h"
#include "window_record.h"

namespace qv {

namespace {

// Gives back the font a control or surface had before its assigned one.
void ReleaseAssignedFont(WindowRecord& record) {
  if (record.is_surface()) {
    // A surface's font number and canvas font are read by drawing threads under SurfaceLock.
    SurfaceSeamLock surfaces;
    const int32_t number = std::exchange(record.font_number, 0);
    if (number == 0 || !FontTableRelease(number) || !record.previous_font) return;
    if (record.memory_dc) SelectObject(record.memory_dc, record.previous_font);
    return;
  }
  int32_t number = record.font_number;
  record.font_number = 0;
  if (number == 0 || !FontTableRelease(number) || !record.previous_font) return;
  // -1 stands for "the control had no font of its own".
  HFONT previous = record.previous_font == reinterpret_cast<HFONT>(-1) ? nullptr : record.previous_font;
  SendMessageA(record.window(), WM_SETFONT, reinterpret_cast<WPARAM>(previous), 0);
}

void ReleaseImages(WindowRecord& record) {
  if (record.image) {
    if (record.flags & kFlagImageIcon)
      DestroyIcon(static_cast<HICON>(record.image));
    else if (record.flags & kFlagImageBitmap)
      DeleteObject(record.image);
  }
  if (record.large_icon) DestroyIcon(record.large_icon);
  if (record.small_icon) DestroyIcon(record.small_icon);
}

void ReleaseCanvas(WindowRecord& record) {
  if (record.memory_dc && record.default_bitmap) {
    HGDIOBJ canvas = SelectObject(record.memory_dc, record.default_bitmap);
    if (canvas) DeleteObject(canvas);
  }
  if (record.spare_bitmap) DeleteObject(record.spare_bitmap);
  if (record.clip_region) DeleteObject(record.clip_region);
  if (record.memory_dc) DeleteDC(record.memory_dc);
}

}  // namespace

void ControlResourcesRelease(HANDLE handle) {
  // The record stays; only the thread that runs the control's dialog removes it.
  WindowRecord* record = RecordFind(handle);
  if (!record || !IsWindow(record->window())) return;
  ReleaseAssignedFont(*record);
}

void RecordDestroy(HANDLE handle) {
  if (!handle) return;
  while (WindowRecord* child = FirstControlOf(static_cast<HWND>(handle))) RecordDestroy(child->handle);

  SurfaceSeamLock surfaces;
  RecordList& list = Records();
  std::unique_ptr<WindowRecord> record;
  {
    std::lock_guard hold(list.lock);
    WindowRecord* found = list.FindLocked(handle);
    // The live count only moves when a record really goes.
    if (!found || !list.UnlinkLocked(found)) return;
    record.reset(found);
  }

  ReleaseAssignedFont(*record);
  if (record->background_colour >= 0) BrushRelease(record->background_brush);
  if (record->graphic_brush != record->background_brush || record->background_colour < 0)
    BrushRelease(record->graphic_brush);
  for (HWND window : record->auxiliary)
    if (window) DestroyWindow(window);
  ReleaseImages(*record);
  if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
  ReleaseCanvas(*record);
}

}  // namespace qv
