// Image lists handed to toolbars, tree views and tab controls. A control destroys only the lists
// it made for itself (a toolbar's from TB_ADDBITMAP or TB_LOADIMAGES); a list a program hands it
// (TB_SETIMAGELIST and its hot and disabled companions, TVM_SETIMAGELIST, TCM_SETIMAGELIST) stays
// the program's to free. The engine watches those hand-overs on each such control it creates and,
// at the control's own WM_DESTROY (whoever destroys it: its dialog, a graphic-window frame, the
// program), takes each handed list that the control still holds out of it and destroys it. A list
// replaced by another hand-over went back to the program with the answer and is not touched.
//
// Threads: the watch runs on the control's thread, where every message to it is delivered. A
// list handed to several controls is destroyed when the last of them goes: a process-wide count
// of holders, under a mutex of its own that is never held across a call, sees to it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Starts watching a freshly created control of kind 18, 21 or 22 (nothing for other kinds).
void ControlImageListsWatch(HWND control, int32_t kind);

}  // namespace qv
