// The drawing arithmetic on any floats, including infinities, NaNs and tiny spans: the fast
// pixel rounding agrees with FloatToInteger, mapping in
// every form stays defined (the sanitizers watch), a coordinate that maps in range inverts back
// near where it came from, far coordinates give the one out-of-range value, boxes have corner
// sizes that are never negative, point lists never read beyond their block, and polygons drawn
// as spans over a canvas stay on it in order.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "bitmap_file_layout.h"
#include "box_geometry.h"
#include "float_integer.h"
#include "fuzz_input.h"
#include "mix_modes.h"
#include "pixel_round.h"
#include "point_list.h"
#include "user_space.h"

namespace {

using namespace qv;

float Float(fuzz::Input& in) {
  uint32_t bits = static_cast<uint32_t>(in.Int32());
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// Mostly small user values, sometimes any float32.
long double Value(fuzz::Input& in) {
  uint8_t kind = in.Byte();
  if (kind < 160) return static_cast<int8_t>(in.Byte()) / 4.0L;
  return Float(in);
}

void CheckInverse(const UserSpace& s, long double x, long double y) {
  PixelPoint p = MapUserPoint(s, x, y, false);
  constexpr int32_t kFar = std::numeric_limits<int32_t>::min();
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (!std::isfinite(x)) fuzz::Check(p.x == kFar);
    if (!std::isfinite(y)) fuzz::Check(p.y == kFar);
    return;
  }
  // Only well-conditioned systems are expected to invert closely.
  if (p.x == kFar || p.y == kFar) return;
  if (!(s.scale_x == 0 || (std::fabs(s.scale_x) >= 1e-3f && std::fabs(s.scale_x) <= 1e3f))) return;
  if (!(s.scale_y == 0 || (std::fabs(s.scale_y) >= 1e-3f && std::fabs(s.scale_y) <= 1e3f))) return;
  if (std::fabs(x) > 1e6L || std::fabs(y) > 1e6L || std::fabs(s.origin_x) > 1e6f || std::fabs(s.origin_y) > 1e6f)
    return;
  UserPoint back = PixelToUserPoint(s, p.x, p.y);
  long double tx = s.scale_x == 0 ? 0.5L : 0.5L / std::fabs(s.scale_x) + 1e-6L;
  long double ty = s.scale_y == 0 ? 0.5L : 0.5L / std::fabs(s.scale_y) + 1e-6L;
  fuzz::Check(std::fabs(back.x - x) <= tx * 1.0001L);
  fuzz::Check(std::fabs(back.y - y) <= ty * 1.0001L);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  UserSpace s;
  s.clip_x = in.Position();
  s.clip_y = in.Position();
  s.clip_width = in.Position() & 0xFFFF;
  s.clip_height = in.Position() & 0xFFFF;
  s.current_x = in.Int32();
  s.current_y = in.Int32();
  const bool inclusive = in.Byte() & 1;
  long double c[4] = {Value(in), Value(in), Value(in), Value(in)};
  UserSpace before = s;
  if (!ScaleUserSpace(s, c[0], c[1], c[2], c[3], inclusive)) {
    fuzz::Check(std::memcmp(&before, &s, sizeof s) == 0);
  } else {
    fuzz::Check(s.flip_x == !(c[0] < c[2]));
    fuzz::Check(s.scale_x == 0 || std::isnan(s.scale_x) || s.scale_x >= 0 || s.clip_width < 1);
  }

  const long double x = Value(in), y = Value(in);
  fuzz::Check(PixelRound(x) == FloatToInteger(x));
  fuzz::Check(PixelRound(x * 1e9L) == FloatToInteger(x * 1e9L));
  CheckInverse(s, x, y);
  PixelPoint relative = MapUserPoint(s, x, y, true);
  (void)relative;
  (void)UserLengthToPixels(s, x, Axis::kX);
  (void)PixelsToUserLength(s, in.Int32(), Axis::kY);

  PixelPoint a = MapUserPoint(s, Value(in), Value(in), false);
  PixelPoint b{in.Int32(), in.Int32()};
  BoxShape box = BoxGeometry(a, b, static_cast<uint32_t>(in.Int32()), inclusive);
  fuzz::Check(box.corner_width >= 0 && box.corner_height >= 0);
  fuzz::Check(static_cast<uint32_t>(box.left) <= static_cast<uint32_t>(box.right) || inclusive);
  ArcRadials arc = ArcRadialPoints(a, b, Value(in), Value(in));
  (void)arc;

  const int32_t mix = in.Int32();
  const int32_t mode = MixMode(mix);
  fuzz::Check(mode >= 1 && mode <= 16);
  (void)MixRasterOperation(mix);

  const int32_t w = in.Position(), h = in.Position();
  if (auto header = BitmapFileHeader(w, h)) fuzz::Check(w > 0 && h > 0 && (*header)[0] == 'B');

  // The rest as a point-list block, on the heap at its exact size so ASan sees any over-read.
  std::string rest = in.Rest();
  std::vector<unsigned char> block(rest.begin(), rest.end());
  if (auto list = PointList::Read(block.data(), static_cast<uint32_t>(block.size()))) {
    fuzz::Check(list->count() >= 2 && list->count() <= 1024);
    fuzz::Check(4 + 8ull * list->count() <= block.size());
    std::vector<PixelPoint> mapped;
    for (uint32_t i = 0; i < list->count(); ++i) mapped.push_back(MapUserPoint(s, list->x(i), list->y(i), false));
    // The inside of the polygon over a small canvas: in order, on it, in bounded time.
    int32_t last_y = -1, last_right = 0;
    for (const Span& span : PolygonSpans(mapped, (rest.size() & 1) != 0, 24, 16)) {
      fuzz::Check(span.y >= 0 && span.y < 16 && span.left >= 0 && span.left < span.right && span.right <= 24);
      fuzz::Check(span.y > last_y || span.left > last_right);
      last_y = span.y;
      last_right = span.right;
    }
  }
  return 0;
}
