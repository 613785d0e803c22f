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
    cut = WrapCut(units, fit, WrapMode::kCharacters, false);
    // With word break the cut moves back to the last space up to it, also a leading one (then
    // nothing fits and the whole text is the rest); without a space the characters are cut.
    if (word_break && cut < units.size()) {
      size_t space = units.substr(0, cut + 1).find_last_of(u' ');
      if (space != std::u16string_view::npos) cut = space;
    }
  }
  PushUnits(units.substr(0, cut));
  PushUnits(units.substr(cut));
}

}  // namespace qv
