#include <string>

#include "platform_name.h"
#include "string_ops.h"
#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowGetCaption() {
  std::u16string caption;
  if (HWND frame = TargetFrame()) {
    int length = GetWindowTextLengthW(frame);
    if (length > 0) {
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      int got = GetWindowTextW(frame, text.data(), length + 1);
      caption.assign(reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(std::max(got, 0)));
    }
  }
  PushOwned(DynString::FromUnits(caption));
}

void SurfaceWindowSetCaption() {
  DynString caption = PopText();
  HWND frame = TargetFrame();
  if (!frame) return;
  SetWindowTextW(frame, PlatformName(caption).c_str());
}

}  // namespace qv
