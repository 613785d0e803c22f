// What a control took from its window is given back while the window still exists: the font
// it had before an assigned one. RecordDestroy does it as well, but a dialog's records go at its
// WM_NCDESTROY, when the windows of its controls are already gone; so the dialog procedure does
// it for all controls at WM_DESTROY, and ControlKill before it destroys the control. (Image lists
// handed to controls are released by the controls' own WM_DESTROY: control_image_lists.h.)
#pragma once

#include <windows.h>

namespace qv {

// One control; its record stays.
void ControlResourcesRelease(HANDLE handle);

// Every control of a window, depth first.
void ControlsReleaseOf(HWND parent);

// Removes a control on its own thread (the only one that can destroy its window): gives back
// what it took, destroys the window, then its record.
void ControlRemove(HWND control);

}  // namespace qv
