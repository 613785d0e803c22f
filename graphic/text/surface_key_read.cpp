#include <string>

#include "string_ops.h"
#include "surface.h"
#include "surface_keys.h"

namespace qv {

void SurfaceKeyRead() {
  uint32_t key = 0;
  if (WindowRecord* record = SurfaceAcquire()) {
    key = record->key;
    record->key = 0;
    SurfaceRelease();
  }
  std::u16string text;
  if (key & 0xFFFF)
    text = {static_cast<char16_t>(key & 0xFFFF)};
  else if (key)
    text = {u'\0', static_cast<char16_t>(key >> 16)};  // a scan code
  PushOwned(DynString::FromUnits(text));
}

}  // namespace qv
