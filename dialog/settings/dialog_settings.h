// Room settings/: the settings of dialogs and controls and the target a setting names. It uses
// the controls, the engine, the records and the run-time.
//
// Settings of dialogs and controls after creation: colours, fonts, size and position in the
// dialog's unit mode, visibility, enabling, focus, check state, images, icons, accelerators,
// user values and removal of a control.
//
// Most operations name their target as (dialog, control id); for the colour, size, location and
// enabling operations the id kDialogItself names the dialog instead. A target without record
// or without window is left alone and raises nothing; getters then answer 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "dialog_callback.h"

namespace qv {

constexpr int32_t kDialogItself = static_cast<int32_t>(0x80000000);

// Colours: text below 0 = system colour; background -2 = transparent, other negatives = system
// colour; else the low 24 bits. Seen through WM_CTLCOLOR* (the caller redraws).
void ControlSetColor(HWND dialog, int32_t id, int32_t text_colour, int32_t background_colour);

// Gives the control FontTable font `number` (0 means 1).
void ControlSetFont(HWND dialog, int32_t id, int32_t number);

// The face name (UTF-16) is the top operand and is consumed. Finds or adds the font and makes
// it the thread's current dialog font for later DialogCreate calls. Style bits: 2 bold,
// 4 italic, 0x20 fixed pitch.
void DialogFontSelect(int32_t point_size, uint32_t style_bits, int32_t charset);

struct WindowExtent {
  int32_t width = 0, height = 0;
};
struct WindowPoint {
  int32_t x = 0, y = 0;
};

// Sizes and positions, in dialog units for a dialog-unit dialog and its controls, else pixels.
WindowExtent WindowGetClientSize(HWND dialog, int32_t id);
void WindowSetClientSize(HWND dialog, int32_t id, int32_t width, int32_t height);
WindowExtent WindowGetSize(HWND dialog, int32_t id);
void WindowSetSize(HWND dialog, int32_t id, int32_t width, int32_t height);
// Relative to the parent's (or owner's) client area.
WindowPoint WindowGetLocation(HWND dialog, int32_t id);
void WindowSetLocation(HWND dialog, int32_t id, int32_t x, int32_t y);

// A control or a shown dialog: ShowWindow and redraw. A dialog not shown yet keeps the command
// for its show operation (0, 3 and 6 as given, anything else 5).
void DialogShowState(HWND window, int32_t show_command);

void WindowEnable(HWND dialog, int32_t id, int32_t flag);
// Brings the control's dialog (or graphic window) to the front and focuses the control.
void ControlSetFocus(HWND dialog, int32_t id);
// Removes a control (never the dialog itself): its window and its record.
void ControlKill(HWND dialog, int32_t id);

int32_t ButtonGetCheck(HWND dialog, int32_t id);
void ButtonSetCheck(HWND dialog, int32_t id, int32_t state);
void RadioCheck(HWND dialog, int32_t first_id, int32_t last_id, int32_t checked_id);

void ControlSetCallback(HWND dialog, int32_t id, DialogCallback callback);

// The resource name (UTF-16) is the top operand and is consumed. Reloads the image of an image
// control of kind 10 + kind_offset; the bitmap-or-icon choice must stay what it was.
void ImageReload(HWND dialog, int32_t id, int32_t kind_offset);

// Replaces the dialog's accelerator table; an empty array leaves it without one.
void DialogSetAccelerators(HWND dialog, std::span<const ACCEL> entries);

// The icon resource name (UTF-16) is the top operand and is consumed. Sets the dialog's large
// (32 x 32) and small (16 x 16) icons; the previous ones are destroyed.
void DialogSetIcon(HWND dialog);

// User values 1 to 8 of a window's record; the index is taken as (index - 1) AND 7.
int32_t UserDataGet(HWND window, int32_t index);
void UserDataSet(HWND window, int32_t index, int32_t value);

}  // namespace qv
