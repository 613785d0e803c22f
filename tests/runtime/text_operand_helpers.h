// Pushing and popping test texts on the calling activation's operand stack.
#pragma once

#include <string>
#include <string_view>

#include "dyn_string.h"
#include "string_ops.h"

namespace qv::testing {

inline void PushBytes(std::string_view s) { PushOwned(DynString::FromBytes(s)); }
inline void PushWide(std::u16string_view s) { PushOwned(DynString::FromUnits(s)); }
inline std::string PopBytes() { return PopText().str(); }
inline std::u16string PopWide() { return PopText().wide(); }

}  // namespace qv::testing
