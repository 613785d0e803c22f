#include "dialog_text.h"

#include "dyn_string.h"
#include "platform_name.h"
#include "string_ops.h"

namespace qv {

void DialogGetText(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) {
    PushEmpty();
    return;
  }
  // A string block has room for the terminating zero after its last unit.
  unsigned char* buffer = TryAllocateUnits(static_cast<uint32_t>(length));
  if (!buffer) {
    PushEmpty();
    return;
  }
  DynString text;
  text.Reset(buffer);
  int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(buffer), length + 1);
  if (copied <= 0) {
    PushEmpty();
    return;
  }
  if (copied < length) text = DynString::FromUnits(text.wide_view().substr(0, static_cast<size_t>(copied)));
  PushOwned(std::move(text));
}

void DialogSetText(HWND window) {
  DynString text = PopText();
  SetWindowTextW(window, PlatformName(text).c_str());
}

}  // namespace qv
