// FontTable: the run-time's numbered fonts. Entries are appended and live for the whole run;
// font handles are made from an entry's description when first needed.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Style bits of a FontRecord, as programs pass them to DialogFontSelect.
enum FontStyle : uint32_t {
  kFontBold = 0x1,
  kFontItalic = 0x2,
  kFontFixedPitch = 0x20,
  kFontDefault = 0x2000,  // one of the start-up fonts
};

struct FontRecord {
  FontRecord* next = nullptr;
  int32_t references = 0;
  int32_t number = 0;  // 1-based position at creation
  HFONT control_font = nullptr;
  HFONT canvas_font = nullptr;  // 8 points, for graphic controls
  HFONT window_font = nullptr;  // at the entry's point size, for graphic windows
  uint32_t style_bits = 0;
  float point_size = 0;
  LOGFONTW face{};  // weight, italic, charset, pitch and family, face name
};

// The start-up hook: creates the three default entries (numbers 1, 2 and 3).
void FontTableCreateDefaults();

// Appends an entry (or finds an equal one) and returns its number; 0 when memory runs out.
int32_t FontTableAdd(const FontRecord& description);

// The entry of a number, or null. Entries are never removed, so the pointer stays valid.
FontRecord* FontTableFind(int32_t number);

// Counts one more / one fewer user of an entry; false when there is no such entry.
bool FontTableRetain(int32_t number);
bool FontTableRelease(int32_t number);

// Whether two entries describe the same font (style, size, LOGFONTW from the escapement on).
bool FontRecordSame(const FontRecord& a, const FontRecord& b);

// The calling thread's current dialog font number.
int32_t CurrentDialogFontNumber();

}  // namespace qv
