#include "engine_state.h"

namespace qv {

DialogEngineState& DialogEngine() {
  static DialogEngineState state;
  return state;
}

}  // namespace qv
