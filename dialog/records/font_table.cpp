#include "font_table.h"

#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>

#include "spin_lock.h"
#include "thread_record.h"

namespace qv {

namespace {

struct FontTable {
  FontRecord* head = nullptr;
  FontRecord* tail = nullptr;
  int32_t count = 0;
  SpinLock lock;
};

FontTable& Fonts() {
  static FontTable table;
  return table;
}

FontRecord* FindLocked(const FontTable& table, int32_t number) {
  for (FontRecord* f = table.head; f; f = f->next)
    if (f->number == number) return f;
  return nullptr;
}

FontRecord DefaultFont(const char16_t* face_name, float points, BYTE pitch) {
  FontRecord font;
  font.style_bits = kFontDefault;
  font.point_size = points;
  font.face.lfWeight = FW_NORMAL;
  font.face.lfCharSet = 0;
  font.face.lfPitchAndFamily = pitch;
  std::memcpy(font.face.lfFaceName, face_name, std::char_traits<char16_t>::length(face_name) * 2);
  return font;
}

}  // namespace

bool FontRecordSame(const FontRecord& a, const FontRecord& b) {
  constexpr size_t from = offsetof(LOGFONTW, lfEscapement);
  return a.style_bits == b.style_bits && a.point_size == b.point_size &&
         std::memcmp(reinterpret_cast<const char*>(&a.face) + from,
                     reinterpret_cast<const char*>(&b.face) + from, sizeof(LOGFONTW) - from) == 0;
}

int32_t FontTableAdd(const FontRecord& description) {
  FontTable& table = Fonts();
  std::lock_guard hold(table.lock);
  for (FontRecord* f = table.head; f; f = f->next)
    if (FontRecordSame(*f, description)) return f->number;
  // The table lives for the whole run; its entries are never freed.
  auto* entry = new (std::nothrow) FontRecord;
  if (!entry) return 0;
  entry->style_bits = description.style_bits;
  entry->point_size = description.point_size;
  entry->face = description.face;
  entry->face.lfHeight = 0;
  entry->face.lfWidth = 0;
  entry->number = ++table.count;
  if (table.tail)
    table.tail->next = entry;
  else
    table.head = entry;
  table.tail = entry;
  return entry->number;
}

void FontTableCreateDefaults() {
  FontTableAdd(DefaultFont(u"MS Sans Serif", 8.0f, DEFAULT_PITCH));
  FontTableAdd(DefaultFont(u"Lucida Console", 0.0f, FIXED_PITCH));
  FontTableAdd(DefaultFont(u"Lucida Console", 11.0f, FIXED_PITCH));
}

FontRecord* FontTableFind(int32_t number) {
  FontTable& table = Fonts();
  std::lock_guard hold(table.lock);
  return FindLocked(table, number);
}

bool FontTableRetain(int32_t number) {
  FontTable& table = Fonts();
  std::lock_guard hold(table.lock);
  FontRecord* f = FindLocked(table, number);
  if (f) ++f->references;
  return f != nullptr;
}

bool FontTableRelease(int32_t number) {
  FontTable& table = Fonts();
  std::lock_guard hold(table.lock);
  FontRecord* f = FindLocked(table, number);
  if (f && f->references > 0) --f->references;
  return f != nullptr;
}

int32_t CurrentDialogFontNumber() {
  ThreadRecord* thread = ThreadRecordGet();
  return thread ? thread->settings[0] : 1;
}

}  // namespace qv
