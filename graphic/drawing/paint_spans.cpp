#include "paint_spans.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "drawing_tools.h"

namespace qv {

namespace {

// A top-down 32-bit DIB section selected into a scratch DC, deleted when it goes.
class PixelBuffer {
 public:
  PixelBuffer(HDC like, int32_t width, int32_t height) : dc_(like), width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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
  const int32_t width = box.right - box.left, height = box.bottom - box.top;
  PixelBuffer result(dc, width, height), painted(dc, width, height);
  if (!result.ok() || !painted.ok()) return;
  if (!BitBlt(result.dc(), 0, 0, width, height, dc, box.left, box.top, SRCCOPY)) return;
  const size_t bytes = static_cast<size_t>(width) * height * 4;

  HDC p = painted.dc();
  SetROP2(p, GetROP2(dc));
  SetBkMode(p, GetBkMode(dc));
  SetBkColor(p, GetBkColor(dc));
  SetTextColor(p, GetTextColor(dc));
  POINT origin{};
  GetBrushOrgEx(dc, &origin);
  SetBrushOrgEx(p, origin.x - box.left, origin.y - box.top, nullptr);
  RECT all{0, 0, width, height};
  GdiObject whole(CreateRectRgnIndirect(&all));
  if (!whole.get()) return;
  for (const SpanLayer& layer : layers) {
    if (!layer.brush || layer.spans->empty()) continue;
    GdiFlush();
    std::memcpy(painted.row(0), result.row(0), bytes);
    FillRgn(p, static_cast<HRGN>(whole.get()), layer.brush);
    GdiFlush();
    for (const Span& s : *layer.spans) {
      if (s.left >= s.right) continue;
      int32_t y = s.y - box.top, x = s.left - box.left;
      std::memcpy(result.row(y) + x, painted.row(y) + x, static_cast<size_t>(s.right - s.left) * 4);
    }
  }
  GdiFlush();
  BitBlt(dc, box.left, box.top, width, height, result.dc(), 0, 0, SRCCOPY);
}

}  // namespace qv
