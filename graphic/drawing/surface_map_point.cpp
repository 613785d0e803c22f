#include "surface_map_point.h"

#include "surface.h"
#include "surface_drawing.h"
#include "surface_text.h"

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

// The option operations below change bits of the same word, so each runs under SurfaceLock
// from reading the word to storing it.
namespace {

void OptionSet(uint32_t bit, uint32_t excluded, int32_t on) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (on) record->close_block = (record->close_block & ~excluded) | bit;
  else record->close_block &= ~bit;
  SurfaceRelease();
}

int32_t OptionGet(uint32_t bit) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return 0;
  bool on = (record->close_block & bit) != 0;
  SurfaceRelease();
  return on ? -1 : 0;
}

}  // namespace

void SurfaceSetScrollOnNewLine(int32_t on) { OptionSet(kScrollOnNewLine, 0, on); }
int32_t SurfaceGetScrollOnNewLine() { return OptionGet(kScrollOnNewLine); }
void SurfaceSetWordWrap(int32_t on) { OptionSet(kWrapAtWords, kWrapAnywhere, on); }
int32_t SurfaceGetWordWrap() { return OptionGet(kWrapAtWords); }
void SurfaceSetCharWrap(int32_t on) { OptionSet(kWrapAnywhere, kWrapAtWords, on); }
int32_t SurfaceGetCharWrap() { return OptionGet(kWrapAnywhere); }
void SurfaceSetInclusiveEnds(int32_t on) { OptionSet(kInclusiveEnds, 0, on); }
int32_t SurfaceGetInclusiveEnds() { return OptionGet(kInclusiveEnds); }

}  // namespace qv
