// The images of image controls (kinds 10 to 13): a named bitmap resource, or an icon of that
// name when the module has no such bitmap.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

constexpr int32_t kKindImage = 10, kKindImageScaled = 11, kKindImageButton = 12, kKindImageButtonScaled = 13;

inline bool IsImageKind(int32_t kind) { return kind >= kKindImage && kind <= kKindImageButtonScaled; }

// Whether the module has a bitmap resource of that name ("#n" names number n).
bool ImageIsBitmapResource(const wchar_t* name);

// Loads the image (bitmap or icon as the record's flags say) at cx x cy (0 x 0: natural size),
// puts it into the control and keeps it in the record; the images it replaces are deleted.
// A name that cannot be loaded leaves the control as it is.
void ControlImageLoad(WindowRecord& record, HWND control, const wchar_t* name, int cx, int cy);

}  // namespace qv
