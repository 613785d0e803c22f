#pragma once

#include <cfenv>

namespace qv {

// Keeps the caller's floating-point environment across platform calls that may change it.
class FloatingPointState {
 public:
  FloatingPointState() { std::fegetenv(&saved_); }
  ~FloatingPointState() { std::fesetenv(&saved_); }
  FloatingPointState(const FloatingPointState&) = delete;
  FloatingPointState& operator=(const FloatingPointState&) = delete;

 private:
  std::fenv_t saved_;
};

}  // namespace qv
