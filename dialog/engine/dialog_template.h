// The in-memory template of an engine dialog: an item-less DLGTEMPLATEEX with the dialog font.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

struct FontRecord;

struct DialogTemplateBuffer {
  alignas(4) unsigned char bytes[512];
};

// Fills the buffer. `font` null means the first start-up font's description.
void DialogTemplateBuild(DialogTemplateBuffer& buffer, uint32_t style, uint32_t ex_style, int32_t x,
                         int32_t y, int32_t width, int32_t height, const FontRecord* font);

}  // namespace qv
