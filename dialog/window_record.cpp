#include "window_record.h"

#include <memory>
#include <mutex>
#include <new>

#include "record_list.h"

namespace qv {

RecordList& Records() {
  static RecordList list;
  return list;
}

WindowRecord* RecordCreate(HANDLE handle, HWND parent, uint32_t flags, int32_t kind) {
  if (!handle) return nullptr;
  std::unique_ptr<WindowRecord> record(new (std::nothrow) WindowRecord);
  if (!record) return nullptr;
  record->handle = handle;
  record->parent = parent;
  record->flags = flags;
  record->kind = kind;
  if (kind == kKindGraphic || kind == kKindOwnerDrawn || kind == kKindMemorySurface) {
    record->fore_colour = static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT));
    record->back_colour = static_cast<int32_t>(GetSysColor(COLOR_BTNFACE));
    record->graphic_brush = BrushForColour(record->back_colour);
  }

  RecordList& list = Records();
  {
    // The duplicate check and the linking are one step, so two threads cannot both record
    // the same handle.
    std::lock_guard hold(list.lock);
    if (!list.FindLocked(handle)) {
      record->next = list.head;
      list.head = record.get();
      ++list.live;
      return record.release();
    }
  }
  if (record->graphic_brush && !BrushInUse(record->graphic_brush)) DeleteObject(record->graphic_brush);
  return nullptr;
}

WindowRecord* RecordFind(HANDLE handle) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  return list.FindLocked(handle);
}

int32_t RecordCount() {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  return list.live;
}

WindowRecord* RecordList::FindLocked(HANDLE handle) const {
  if (!handle) return nullptr;
  for (WindowRecord* r = head; r; r = r->next)
    if (r->handle == handle) return r;
  return nullptr;
}

bool RecordList::UnlinkLocked(WindowRecord* record) {
  for (WindowRecord** link = &head; *link; link = &(*link)->next) {
    if (*link == record) {
      *link = record->next;
      record->next = nullptr;
      --live;
      return true;
    }
  }
  return false;
}

namespace {

// The first record after `after` (from the start when null) that satisfies `match`, under the
// list lock.
template <typename Match>
WindowRecord* NextMatching(const WindowRecord* after, Match match) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  for (WindowRecord* r = after ? after->next : list.head; r; r = r->next)
    if (match(*r)) return r;
  return nullptr;
}

bool IsControlOf(const WindowRecord& r, HWND parent) { return r.parent == parent && (r.flags & kFlagControl); }

}  // namespace

WindowRecord* FirstControlOf(HWND parent) {
  return NextMatching(nullptr, [&](const WindowRecord& r) { return IsControlOf(r, parent); });
}

WindowRecord* NextRecordOf(HWND parent, const WindowRecord* after) {
  return NextMatching(after, [&](const WindowRecord& r) { return r.parent == parent; });
}

WindowRecord* NextBarOf(HWND parent, const WindowRecord* after) {
  return NextMatching(after, [&](const WindowRecord& r) {
    return IsControlOf(r, parent) && (r.kind == kKindStatusBar || r.kind == kKindToolbar);
  });
}

WindowRecord* GraphicControlOf(HWND parent, int n) {
  return NextMatching(nullptr, [&](const WindowRecord& r) {
    return IsControlOf(r, parent) && r.kind == kKindGraphic && --n == 0;
  });
}

HBRUSH SharedBrushFor(int32_t colour, const WindowRecord* except) {
  if (colour < 0) return nullptr;
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  for (const WindowRecord* r = list.head; r; r = r->next) {
    if (r == except) continue;
    if (r->background_colour == colour && r->background_brush) return r->background_brush;
    if (r->graphic_brush && r->back_colour == colour) return r->graphic_brush;
  }
  return nullptr;
}

bool BrushInUse(HBRUSH brush, const WindowRecord* except) {
  if (!brush) return false;
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  for (const WindowRecord* r = list.head; r; r = r->next) {
    if (r == except) continue;
    if (r->background_brush == brush || r->graphic_brush == brush) return true;
  }
  return false;
}

HBRUSH BrushForColour(int32_t colour) {
  if (HBRUSH shared = SharedBrushFor(colour)) return shared;
  return CreateSolidBrush(static_cast<COLORREF>(colour));
}

}  // namespace qv
