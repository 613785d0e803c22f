// Image lists handed to controls. A control destroys only the lists it made for itself (a
// toolbar's from TB_ADDBITMAP or TB_LOADIMAGES); a list a program hands it stays the program's to
// free. The engine frees the lists the teardown rule names, at the control's own WM_DESTROY
// (whoever destroys it: its dialog, a graphic-window frame, the program): a toolbar's normal, hot
// and disabled lists of index 0, a tree view's normal list (not its state list) and a tab
// control's list. A list replaced by another hand-over went back to the program with the answer
// and is not touched.
//
// Who owns a handed list, and when it is freed:
// - held by named slots only: the engine frees it when the last watched control holding it goes;
// - also held by a list view with LVS_SHAREIMAGELISTS: that list view counts as a holder too, so
//   the list lives until it goes as well;
// - ever handed to a list view without that style: the list view destroys it itself when it
//   goes, so the engine never frees it (a control still holding it then holds a freed list: the
//   program handed it to an owner);
// - lists handed only to other slots, or only drawn with SurfaceDrawListImage, stay the
//   program's: the run-time never frees them. A program that draws with a list it handed to a
//   named slot must not draw with it after that control is gone.
//
// Threads: the watch runs on the control's thread, where every message to it is delivered. The
// process-wide count of holders is under a mutex of its own that is never held across a call.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Starts watching a freshly created control of kind 17, 18, 21 or 22 (nothing for other kinds).
void ControlImageListsWatch(HWND control, int32_t kind);

}  // namespace qv
