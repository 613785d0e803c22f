// Small helpers shared by the tests with several threads.
#pragma once

#include <string>

#include "dyn_string.h"
#include "string_ops.h"

namespace qv::testing {

inline void PushUnits(const std::u16string& text) { PushOwned(DynString::FromUnits(text)); }

}  // namespace qv::testing
