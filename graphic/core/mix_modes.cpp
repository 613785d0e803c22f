#include "mix_modes.h"

namespace qv {

int32_t MixMode(int32_t mix) {
  uint32_t m = static_cast<uint32_t>(mix);
  return m == 0 || m > 16 ? kMixCopyPen : mix;
}

uint32_t MixRasterOperation(int32_t mix) {
  constexpr uint32_t kSrcCopy = 0x00CC0020;
  constexpr uint32_t kTable[16] = {
      kSrcCopy,   kSrcCopy,   0x001100A6, kSrcCopy,    // 2 NOTSRCERASE
      0x00330008, 0x00440328, kSrcCopy,   0x00660046,  // 4 NOTSRCCOPY, 5 SRCERASE, 7 SRCINVERT
      kSrcCopy,   0x008800C6, kSrcCopy,   kSrcCopy,    // 9 SRCAND
      0x00BB0226, kSrcCopy,   kSrcCopy,   0x00EE0086,  // 12 MERGEPAINT, 15 SRCPAINT
  };
  uint32_t index = static_cast<uint32_t>(mix);
  return kTable[index > 15 ? 0 : index];
}

}  // namespace qv
