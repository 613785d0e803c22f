#include "polygon_clip.h"

#include <algorithm>
#include <limits>

#include "pixel_round.h"

namespace qv {

namespace {

constexpr int64_t kLowest = std::numeric_limits<int32_t>::min(), kHighest = std::numeric_limits<int32_t>::max();

enum class Side { kLeft, kTop, kRight, kBottom };

bool Inside(const PixelPoint& p, Side side, const ClipBox& box) {
  switch (side) {
    case Side::kLeft:
      return p.x >= box.left;
    case Side::kTop:
      return p.y >= box.top;
    case Side::kRight:
      return p.x <= box.right;
    case Side::kBottom:
      return p.y <= box.bottom;
  }
  return true;
}

// Where the edge s-e crosses the side's line; s and e lie on different sides of it.
PixelPoint Crossing(const PixelPoint& s, const PixelPoint& e, Side side, const ClipBox& box) {
  bool vertical = side == Side::kLeft || side == Side::kRight;
  int64_t at = side == Side::kLeft    ? box.left
               : side == Side::kRight ? box.right
               : side == Side::kTop   ? box.top
                                      : box.bottom;
  long double s_along = vertical ? s.x : s.y, e_along = vertical ? e.x : e.y;
  long double s_across = vertical ? s.y : s.x, e_across = vertical ? e.y : e.x;
  long double t = (at - s_along) / (e_along - s_along);  // the two differ: s and e are on different sides
  // Between the two ends, so within 32 bits.
  int32_t across = PixelRound(s_across + (e_across - s_across) * t);
  return vertical ? PixelPoint{static_cast<int32_t>(at), across} : PixelPoint{across, static_cast<int32_t>(at)};
}

std::vector<PixelPoint> ClipSide(const std::vector<PixelPoint>& in, Side side, const ClipBox& box) {
  std::vector<PixelPoint> out;
  if (in.empty()) return out;
  out.reserve(in.size() + 4);
  PixelPoint s = in.back();
  for (const PixelPoint& e : in) {
    bool e_in = Inside(e, side, box), s_in = Inside(s, side, box);
    if (e_in) {
      if (!s_in) out.push_back(Crossing(s, e, side, box));
      out.push_back(e);
    } else if (s_in) {
      out.push_back(Crossing(s, e, side, box));
    }
    s = e;
  }
  return out;
}

}  // namespace

ClipBox CanvasClipBox(int32_t width, int32_t height) {
  auto fit = [](int64_t v) { return std::clamp(v, kLowest, kHighest); };
  return {fit(-kPolygonClipMargin), fit(-kPolygonClipMargin), fit(int64_t{width} + kPolygonClipMargin),
          fit(int64_t{height} + kPolygonClipMargin)};
}

bool PolygonInside(const std::vector<PixelPoint>& points, const ClipBox& box) {
  return std::all_of(points.begin(), points.end(), [&](const PixelPoint& p) {
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
  });
}

std::vector<PixelPoint> ClipPolygon(const std::vector<PixelPoint>& points, const ClipBox& box) {
  std::vector<PixelPoint> clipped = points;
  for (Side side : {Side::kLeft, Side::kTop, Side::kRight, Side::kBottom}) clipped = ClipSide(clipped, side, box);
  return clipped;
}

}  // namespace qv
