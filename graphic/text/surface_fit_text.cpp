#include "string_ops.h"
#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

namespace {

void PushUnits(std::u16string_view units) { PushOwned(DynString::FromUnits(units)); }

}  // namespace

void SurfaceFitText(float width, int32_t word_break) {
  DynString text = PopText();
  std::u16string_view units = text.wide_view();
  size_t cut = 0;
  if (WindowRecord* record = SurfaceAcquire()) {
    int32_t pixels = UserLengthToPixels(UserSpaceOf(*record), width, Axis::kX);
    size_t fit = FittingUnits(*record, units, pixels);
    SurfaceRelease();
    // A space in front of the first character is no place to cut a word.
    cut = WrapCut(units, fit, word_break ? WrapMode::kWords : WrapMode::kCharacters, false);
    if (word_break && cut == 0) cut = WrapCut(units, fit, WrapMode::kCharacters, false);
  }
  PushUnits(units.substr(0, cut));
  PushUnits(units.substr(cut));
}

}  // namespace qv
