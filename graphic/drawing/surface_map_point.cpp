#include "surface_map_point.h"

namespace qv {

UserSpace UserSpaceOf(const WindowRecord& r) {
  UserSpace s;
  s.origin_x = r.origin_x;
  s.origin_y = r.origin_y;
  s.scale_x = r.scale_x;
  s.scale_y = r.scale_y;
  s.flip_x = (r.flags & kSurfaceFlipX) != 0;
  s.flip_y = (r.flags & kSurfaceFlipY) != 0;
  s.clip_x = r.clip_x;
  s.clip_y = r.clip_y;
  s.clip_width = r.clip_width;
  s.clip_height = r.clip_height;
  s.current_x = r.current_x;
  s.current_y = r.current_y;
  return s;
}

void UserSpaceStore(WindowRecord& r, const UserSpace& s) {
  r.origin_x = s.origin_x;
  r.origin_y = s.origin_y;
  r.scale_x = s.scale_x;
  r.scale_y = s.scale_y;
  r.flags &= ~(kSurfaceFlipX | kSurfaceFlipY);
  if (s.flip_x) r.flags |= kSurfaceFlipX;
  if (s.flip_y) r.flags |= kSurfaceFlipY;
}

PixelPoint SurfaceMapPoint(const WindowRecord& record, float x, float y, bool relative) {
  return MapUserPoint(UserSpaceOf(record), x, y, relative);
}

}  // namespace qv
