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
  bool graphic = kind == kKindGraphic || kind == kKindOwnerDrawn || kind == kKindMemorySurface;
  if (graphic) {
    record->fore_colour = static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT));
    record->back_colour = static_cast<int32_t>(GetSysColor(COLOR_BTNFACE));
  }

  RecordList& list = Records();
  HBRUSH made = nullptr;  // made with the lock free when no record had a brush to share
  bool linked = false;
  for (;;) {
    // The duplicate check, the choice of a shared brush and the linking are one step, so two
    // threads cannot both record the same handle and a shared brush cannot go meanwhile.
    std::unique_lock hold(list.lock);
    if (list.FindLocked(handle)) break;
    if (graphic) {
      record->graphic_brush = list.SharedBrushLocked(record->back_colour, nullptr);
      if (!record->graphic_brush && !made) {
        hold.unlock();
        made = CreateSolidBrush(static_cast<COLORREF>(record->back_colour));
        if (made) continue;
      }
      if (!record->graphic_brush) record->graphic_brush = made;
    }
    record->next = list.head;
    list.head = record.get();
    ++list.live;
    linked = true;
    break;
  }
  if (made && (!linked || record->graphic_brush != made)) DeleteObject(made);
  return linked ? record.release() : nullptr;
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

}  // namespace qv
