// Room controls/: adding controls by kind, their images and the image lists handed to them. It
// uses the engine, the records and the run-time.
//
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "dialog_callback.h"
#include "dyn_string.h"

namespace qv {

// The items of a combo or list box: byte text in the thread's code page, or UTF-16 text.
struct ItemList {
  std::span<const DynString> items;
  bool wide = false;
};

// Adds a control of a ControlKind (0 to 25) to an engine dialog, in the dialog's unit mode.
// Operands (UTF-16, both consumed): the class name (kinds 0 and 23; empty otherwise) below,
// the text on top. `items` may be null. Nothing is created for a window that is not an engine
// dialog or a kind outside the table.
void ControlAdd(int32_t kind, HWND dialog, int32_t id, const ItemList* items, int32_t x, int32_t y,
                int32_t width, int32_t height, uint32_t style, uint32_t ex_style, DialogCallback callback);

}  // namespace qv
