#include "paint_spans.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "drawing_tools.h"
#include "top_down_dib.h"

namespace qv {

namespace {

// A top-down 32-bit DIB section selected into a scratch DC, deleted when it goes.
class PixelBuffer {
 public:
  PixelBuffer(HDC like, int32_t width, int32_t height) : dc_(like), width_(width) {
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dc_.get() && bitmap_.get() && bits) {
      selected_.emplace(dc_.get(), bitmap_.get());
      bits_ = static_cast<uint32_t*>(bits);
    }
  }
  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_.get(); }
  uint32_t* row(int32_t y) const { return bits_ + static_cast<size_t>(y) * width_; }

 private:
  ScratchDC dc_;
  GdiObject bitmap_;
  std::optional<Selection> selected_;
  uint32_t* bits_ = nullptr;
  int32_t width_;
};

// Bands of the bounding box are painted one after another, so the two copies of the canvas
// stay within a few megabytes however large the canvas.
constexpr int64_t kBandPixels = int64_t{1} << 21;

// Paints the layers' spans of rows top .. bottom - 1 within columns left .. right - 1; `next`
// holds each layer's first span not yet painted (spans are ordered by row).
void PaintBand(HDC dc, const std::vector<SpanLayer>& layers, std::vector<size_t>& next, int32_t left, int32_t right,
               int32_t top, int32_t bottom) {
  const int32_t width = right - left, height = bottom - top;
  auto skip_band = [&] {
    for (size_t k = 0; k < layers.size(); ++k)
      while (next[k] < layers[k].spans->size() && (*layers[k].spans)[next[k]].y < bottom) ++next[k];
  };
  PixelBuffer result(dc, width, height), painted(dc, width, height);
  if (!result.ok() || !painted.ok() || !BitBlt(result.dc(), 0, 0, width, height, dc, left, top, SRCCOPY)) {
    skip_band();
    return;
  }
  HDC p = painted.dc();
  SetROP2(p, GetROP2(dc));
  SetBkMode(p, GetBkMode(dc));
  SetBkColor(p, GetBkColor(dc));
  SetTextColor(p, GetTextColor(dc));
  POINT origin{};
  GetBrushOrgEx(dc, &origin);
  SetBrushOrgEx(p, origin.x - left, origin.y - top, nullptr);
  RECT all{0, 0, width, height};
  GdiObject whole(CreateRectRgnIndirect(&all));
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  for (size_t k = 0; k < layers.size(); ++k) {
    const std::vector<Span>& spans = *layers[k].spans;
    size_t first = next[k];
    while (next[k] < spans.size() && spans[next[k]].y < bottom) ++next[k];
    if (!layers[k].brush || first == next[k] || !whole.get()) continue;
    GdiFlush();
    std::memcpy(painted.row(0), result.row(0), bytes);
    FillRgn(p, static_cast<HRGN>(whole.get()), layers[k].brush);
    GdiFlush();
    for (size_t i = first; i < next[k]; ++i) {
      const Span& s = spans[i];
      if (s.left >= s.right || s.y < top) continue;
      int32_t y = s.y - top, x = s.left - left;
      std::memcpy(result.row(y) + x, painted.row(y) + x, static_cast<size_t>(s.right - s.left) * 4);
    }
  }
  GdiFlush();
  BitBlt(dc, left, top, width, height, result.dc(), 0, 0, SRCCOPY);
}

}  // namespace

void PaintSpans(HDC dc, const std::vector<SpanLayer>& layers) {
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const SpanLayer& layer : layers) {
    if (!layer.brush) continue;
    for (const Span& s : *layer.spans) {
      if (s.left >= s.right) continue;
      box.left = std::min(box.left, static_cast<LONG>(s.left));
      box.right = std::max(box.right, static_cast<LONG>(s.right));
      box.top = std::min(box.top, static_cast<LONG>(s.y));
      box.bottom = std::max(box.bottom, static_cast<LONG>(s.y + 1));
    }
  }
  if (box.left >= box.right || box.top >= box.bottom) return;
  const int32_t rows = static_cast<int32_t>(std::max<int64_t>(1, kBandPixels / (box.right - box.left)));
  std::vector<size_t> next(layers.size(), 0);
  for (int32_t top = box.top; top < box.bottom;) {
    int32_t bottom = top + std::min<int32_t>(rows, box.bottom - top);
    PaintBand(dc, layers, next, box.left, box.right, top, bottom);
    top = bottom;
  }
}

}  // namespace qv
