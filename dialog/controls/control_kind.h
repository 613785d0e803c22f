// ControlKind: the control kinds 0 to 25 with their window class and style rules.
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kLastControlKind = 25;

struct ControlKindRow {
  uint32_t default_style;  // used when the caller passes style 0
  uint32_t forced;         // OR-ed into every style
  uint32_t cleared;        // removed from every style
  const char16_t* class_name;  // empty: the caller names the class (kinds 0 and 23)
};

// The row of a kind 0 to 25, or null for any other value.
const ControlKindRow* ControlKindFind(int32_t kind);

}  // namespace qv
