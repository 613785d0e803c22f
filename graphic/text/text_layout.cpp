#include "text_layout.h"

#include <climits>

#include "surface.h"
#include "surface_map_point.h"

namespace qv {

namespace {

bool HighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Units measured for one line: no more can be visible in `width` pixels unless characters have
// no width, and a long text measured whole for every line would cost its length squared.
constexpr size_t kMeasureSlack = 64;

}  // namespace

WrapMode WrapModeOf(const WindowRecord& record) {
  if (record.close_block & kWrapAtWords) return WrapMode::kWords;
  if (record.close_block & kWrapAnywhere) return WrapMode::kCharacters;
  return WrapMode::kNone;
}

size_t WrapCut(std::u16string_view text, size_t fit, WrapMode mode, bool line_start) {
  if (fit >= text.size()) return text.size();
  size_t cut = fit;
  if (mode == WrapMode::kWords) {
    // A space at 0 would put nothing on the line; the one just past the fitting part still
    // leaves what fits in front of it.
    size_t space = text.substr(0, fit + 1).find_last_of(u' ');
    if (space != std::u16string_view::npos && space > 0) return space;
    if (!line_start) return 0;  // the word goes to the next line whole
  }
  if (cut > 0 && HighSurrogate(text[cut - 1])) --cut;
  if (cut == 0 && line_start) cut = (text.size() > 1 && HighSurrogate(text[0])) ? 2 : 1;
  return cut;
}

void MarkText(WindowRecord& record, const DirtyBox& drawn) {
  if (drawn.empty())
    SurfaceRelease();
  else
    SurfaceMarkDirty(record, drawn.left, drawn.top, drawn.right, drawn.bottom, MarkMode::kText);
}

SIZE TextExtent(const WindowRecord& record, std::u16string_view text) {
  SIZE size{};
  if (!record.memory_dc || text.empty()) return size;
  int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  if (!GetTextExtentPoint32W(record.memory_dc, reinterpret_cast<const wchar_t*>(text.data()), count, &size))
    size = {};
  return size;
}

size_t FittingUnits(const WindowRecord& record, std::u16string_view text, int32_t width) {
  if (!record.memory_dc || text.empty() || width <= 0) return 0;
  size_t measured = std::min(text.size(), static_cast<size_t>(width) + kMeasureSlack);
  int count = static_cast<int>(std::min<size_t>(measured, INT_MAX));
  INT fit = 0;
  SIZE size{};
  if (!GetTextExtentExPointW(record.memory_dc, reinterpret_cast<const wchar_t*>(text.data()), count, width, &fit,
                             nullptr, &size))
    return 0;
  return static_cast<size_t>(std::clamp(fit, 0, count));
}

}  // namespace qv
