#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>

#include "brush_sharing.h"
#include "control_release.h"
#include "font_table.h"
#include "record_list.h"
#include "surface_lock_word.h"
#include "window_record.h"

namespace qv {

namespace {

// Gives back the font a control or surface had before its assigned one.
void ReleaseAssignedFont(WindowRecord& record) {
  if (record.is_surface()) {
    // A surface's font number and canvas font are read by drawing threads under SurfaceLock.
    SurfaceLockScope surfaces;
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

  SurfaceLockScope surfaces;  // a window's own thread tears its records down: the serving wait
  RecordList& list = Records();
  std::unique_ptr<WindowRecord> record;
  HBRUSH background = nullptr, graphic = nullptr;  // the brushes that go with the record
  {
    std::lock_guard hold(list.lock);
    WindowRecord* found = list.FindLocked(handle);
    // The live count only moves when a record really goes.
    if (!found || !list.UnlinkLocked(found)) return;
    record.reset(found);
    // Decided in the same hold as the unlink (brush_sharing.h): a brush that no linked record
    // holds now can never be picked up again, so it is this teardown's to delete; one that
    // another record holds is that record's.
    if (found->background_colour >= 0 && !list.BrushHeldLocked(found->background_brush, nullptr))
      background = found->background_brush;
    if ((found->graphic_brush != found->background_brush || found->background_colour < 0) &&
        !list.BrushHeldLocked(found->graphic_brush, nullptr))
      graphic = found->graphic_brush;
  }

  ReleaseAssignedFont(*record);
  if (background) DeleteObject(background);
  if (graphic) DeleteObject(graphic);
  for (HWND window : record->auxiliary)
    if (window) DestroyWindow(window);
  ReleaseImages(*record);
  if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
  ReleaseCanvas(*record);
}

}  // namespace qv
