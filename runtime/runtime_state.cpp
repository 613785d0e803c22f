#include "runtime_state.h"

#include <cstring>

namespace qv {

RuntimeState::RuntimeState() { std::memset(table_ff, 0xFF, sizeof table_ff); }

RuntimeState& Runtime() {
  static RuntimeState state;
  return state;
}

}  // namespace qv
