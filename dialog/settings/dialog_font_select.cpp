#include <algorithm>
#include <cstring>

#include "dialog_settings.h"
#include "font_table.h"
#include "string_ops.h"
#include "thread_record.h"

namespace qv {

namespace {
constexpr size_t kFaceLength = 31;  // LF_FACESIZE less the terminating zero
constexpr uint32_t kKeptStyleBits = kFontBold | kFontItalic | kFontFixedPitch;
}  // namespace

void DialogFontSelect(int32_t point_size, uint32_t style_bits, int32_t charset) {
  DynString name = PopText();
  FontRecord description;
  std::u16string_view face = name.wide_view().substr(0, kFaceLength);
  if (!face.empty()) std::memcpy(description.face.lfFaceName, face.data(), face.size() * sizeof(char16_t));
  description.face.lfWeight = (style_bits & kFontBold) ? FW_BOLD : FW_NORMAL;
  description.face.lfItalic = (style_bits & kFontItalic) ? 0xFF : 0;
  description.face.lfPitchAndFamily = (style_bits & kFontFixedPitch) ? FIXED_PITCH : DEFAULT_PITCH;
  description.face.lfCharSet = static_cast<BYTE>(charset);
  description.style_bits = style_bits & kKeptStyleBits;
  description.point_size = static_cast<float>(point_size);
  int32_t number = FontTableAdd(description);
  if (number == 0) return;
  if (ThreadRecord* thread = ThreadRecordGet()) thread->settings[0] = number;
}

}  // namespace qv
