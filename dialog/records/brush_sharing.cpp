#include "brush_sharing.h"

#include <mutex>

#include "record_list.h"

namespace qv {

HBRUSH RecordList::SharedBrushLocked(int32_t colour, const WindowRecord* except) const {
  if (colour < 0) return nullptr;
  for (const WindowRecord* r = head; r; r = r->next) {
    if (r == except) continue;
    if (r->background_colour == colour && r->background_brush) return r->background_brush;
    if (r->graphic_brush && r->back_colour == colour) return r->graphic_brush;
  }
  return nullptr;
}

bool RecordList::BrushHeldLocked(HBRUSH brush, const WindowRecord* except) const {
  if (!brush) return false;
  for (const WindowRecord* r = head; r; r = r->next) {
    if (r == except) continue;
    if (r->background_brush == brush || r->graphic_brush == brush) return true;
  }
  return false;
}

bool BrushInUse(HBRUSH brush, const WindowRecord* except) {
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  return list.BrushHeldLocked(brush, except);
}

namespace {

// Runs `store(record, brush, failed)` under the list lock with a brush for `colour`: the one
// `own` finds on the record itself, else another record's, else one made here with the lock
// free (null with `failed` set when that fails). `store` answers the brush that came out of the
// record; it is deleted when no record holds it any more. False when the handle has no record.
template <typename Own, typename Store>
bool ExchangeBrush(HANDLE handle, int32_t colour, Own own, Store store) {
  RecordList& list = Records();
  HBRUSH made = nullptr;
  bool made_failed = false, made_stored = false;
  HBRUSH out = nullptr;
  bool found = false;
  for (;;) {
    std::unique_lock hold(list.lock);
    WindowRecord* record = list.FindLocked(handle);
    if (!record) break;
    HBRUSH brush = nullptr;
    if (colour >= 0 && !made_failed) {
      brush = own(*record);
      if (!brush) brush = list.SharedBrushLocked(colour, record);
      if (!brush && !made) {
        // Made with the lock free; the search is repeated once it is in hand.
        hold.unlock();
        made = CreateSolidBrush(static_cast<COLORREF>(colour));
        made_failed = made == nullptr;
        continue;
      }
      if (!brush) brush = made;
    }
    made_stored = made && brush == made;
    out = store(*record, brush, made_failed);
    if (out == brush || list.BrushHeldLocked(out, nullptr)) out = nullptr;
    found = true;
    break;
  }
  // A brush made in vain was never seen by anyone else.
  if (made && !made_stored) DeleteObject(made);
  // `out` left its record under the lock and no record held it then: nobody can pick it now.
  if (out) DeleteObject(out);
  return found;
}

}  // namespace

bool RecordColoursExchange(HANDLE handle, int32_t text_colour, int32_t background_colour) {
  return ExchangeBrush(
      handle, background_colour,
      [&](const WindowRecord& r) {
        return r.background_colour == background_colour ? r.background_brush : nullptr;
      },
      [&](WindowRecord& r, HBRUSH brush, bool failed) {
        HBRUSH previous = r.background_brush;
        r.background_brush = brush;
        r.text_colour = text_colour;
        r.background_colour = failed && background_colour >= 0 ? kColourSystem : background_colour;
        return previous;
      });
}

bool RecordGraphicBrushExchange(HANDLE handle, COLORREF paint, int32_t back_colour) {
  auto colour = static_cast<int32_t>(paint & 0x00FFFFFF);
  return ExchangeBrush(
      handle, colour,
      [&](const WindowRecord& r) {
        return r.graphic_brush && r.back_colour == colour ? r.graphic_brush : nullptr;
      },
      [&](WindowRecord& r, HBRUSH brush, bool) {
        HBRUSH previous = r.graphic_brush;
        // Without a brush of the colour the surface keeps painting with the one it has.
        if (brush) r.graphic_brush = brush;
        r.back_colour = back_colour;
        return brush ? previous : nullptr;
      });
}

}  // namespace qv
