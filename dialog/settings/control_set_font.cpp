#include <atomic>
#include <cmath>

#include "dialog_settings.h"
#include "font_table.h"
#include "setting_target.h"
#include "surface_lock_word.h"
#include "surface_seam.h"
#include "window_record.h"

namespace qv {

namespace {

// -1 stands for "the control had no font of its own" (WM_GETFONT answered 0).
const HFONT kNoFontOfItsOwn = reinterpret_cast<HFONT>(-1);

// The entry's control font, made on first use at its point size for the control's device.
// Two threads may make it at once; the first one stored wins and the other is deleted.
HFONT ControlFontOf(FontRecord& entry, HWND control) {
  std::atomic_ref<HFONT> slot(entry.control_font);
  if (HFONT made = slot.load()) return made;
  HDC dc = GetDC(control);
  if (!dc) return nullptr;
  LOGFONTW face = entry.face;
  face.lfHeight = -static_cast<LONG>(std::lrint(GetDeviceCaps(dc, LOGPIXELSY) * entry.point_size / 72.0));
  ReleaseDC(control, dc);
  HFONT made = CreateFontIndirectW(&face);
  if (!made) return nullptr;
  HFONT expected = nullptr;
  if (slot.compare_exchange_strong(expected, made)) return made;
  DeleteObject(made);
  return expected;
}

}  // namespace

// Any thread may set a control's font while the control's own thread may destroy it: the
// record is looked at only under SurfaceLock (records go only under it), and the messages to
// the control are sent with the lock free.
void ControlSetFont(HWND dialog, int32_t id, int32_t number) {
  if (number == 0) number = 1;
  HWND control = SettingTarget(dialog, id, Itself::kNo);
  FontRecord* entry = FontTableFind(number);
  if (!entry) return;
  bool surface = false;
  {
    SurfaceLockScope hold;
    WindowRecord* record = RecordFind(control);
    if (!record) return;
    surface = record->is_surface();
  }
  HFONT font = ControlFontOf(*entry, control);
  if (!font) return;

  if (surface) {
    if (auto select = SurfaceSeamGet().select_font) select(control, number, font);
    return;
  }
  auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SurfaceLockScope hold;
  WindowRecord* record = RecordFind(control);
  if (!record) return;  // gone meanwhile, with whatever it held
  if (!record->previous_font) record->previous_font = current ? current : kNoFontOfItsOwn;
  FontTableRetain(number);
  int32_t before = record->font_number;
  record->font_number = number;
  if (before) FontTableRelease(before);
}

}  // namespace qv
