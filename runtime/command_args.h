// The command tail and its arguments, as wide text.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv {

// The n-th argument of a tail (n >= 1): arguments are separated by blanks; one that starts with
// a double quote runs to the next double quote and loses the quotes, and an empty quoted
// argument is not counted. n = 0 gives the whole tail; n < 0 or past the last argument gives
// the empty text.
std::u16string_view CommandArgument(std::u16string_view tail, int32_t n);

// Pushes CommandArgument(n) of the process's command tail. A result that cannot be allocated
// is the empty text, without an error.
void CommandTail(int32_t n);

}  // namespace qv
