#include <mutex>
#include <type_traits>

#include "record_list.h"
#include "surface_lock_word.h"
#include "window_record.h"

namespace qv {

namespace {

template <typename T>
intptr_t AsValue(T value) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<intptr_t>(value);
  else
    return static_cast<intptr_t>(value);
}

template <typename T>
void FromValue(T& field, intptr_t value) {
  if constexpr (std::is_pointer_v<T>)
    field = reinterpret_cast<T>(value);
  else
    field = static_cast<T>(value);
}

// Calls `visit` with a reference to the field, typed as stored.
template <typename Visit>
bool WithField(WindowRecord& r, RecordField field, Visit&& visit) {
  switch (field) {
    case RecordField::kParent: visit(r.parent); return true;
    case RecordField::kFlags: visit(r.flags); return true;
    case RecordField::kCloseBlock: visit(r.close_block); return true;
    case RecordField::kShowCommand: visit(r.show_command); return true;
    case RecordField::kFont:
      if (r.flags & kFlagDialog)
        visit(r.font);
      else
        visit(r.font_number);
      return true;
    case RecordField::kPreviousFont: visit(r.previous_font); return true;
    case RecordField::kCallback: visit(r.callback); return true;
    case RecordField::kResultTarget: visit(r.result_target); return true;
    case RecordField::kAccelerators: visit(r.accelerators); return true;
    case RecordField::kBackgroundBrush: visit(r.background_brush); return true;
    case RecordField::kBackgroundColour: visit(r.background_colour); return true;
    case RecordField::kTextColour: visit(r.text_colour); return true;
    case RecordField::kKind: visit(r.kind); return true;
    case RecordField::kStyle: visit(r.style); return true;
    case RecordField::kExStyle: visit(r.ex_style); return true;
    case RecordField::kImage: visit(r.image); return true;
  }
  return false;
}

}  // namespace

// Surface records share the flag word and the colours with the drawing threads, which change
// them under SurfaceLock: every field is read and written under it (taken before the list lock).
std::optional<intptr_t> RecordFieldGet(HANDLE handle, RecordField field) {
  SurfaceLockScope surfaces;
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  WindowRecord* record = list.FindLocked(handle);
  if (!record) return std::nullopt;
  intptr_t value = 0;
  if (!WithField(*record, field, [&](auto& f) { value = AsValue(f); })) return std::nullopt;
  return value;
}

bool RecordFieldSet(HANDLE handle, RecordField field, intptr_t value) {
  SurfaceLockScope surfaces;
  RecordList& list = Records();
  std::lock_guard hold(list.lock);
  WindowRecord* record = list.FindLocked(handle);
  if (!record) return false;
  return WithField(*record, field, [&](auto& f) { FromValue(f, value); });
}

}  // namespace qv
